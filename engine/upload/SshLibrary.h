#pragma once

#include <libssh/callbacks.h>
#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include "LazyLibrary.h"

// The functions of libssh, which publishes to a server over SFTP.
#define LUMIVEX_SSH_FUNCTIONS(X)       \
    X(sftp_attributes_free)            \
    X(sftp_close)                      \
    X(sftp_closedir)                   \
    X(sftp_dir_eof)                    \
    X(sftp_extension_supported)        \
    X(sftp_free)                       \
    X(sftp_fsync)                      \
    X(sftp_get_error)                  \
    X(sftp_init)                       \
    X(sftp_lstat)                      \
    X(sftp_mkdir)                      \
    X(sftp_new)                        \
    X(sftp_open)                       \
    X(sftp_opendir)                    \
    X(sftp_read)                       \
    X(sftp_readdir)                    \
    X(sftp_rename)                     \
    X(sftp_seek64)                     \
    X(sftp_stat)                       \
    X(sftp_unlink)                     \
    X(sftp_write)                      \
    X(ssh_channel_read)                \
    X(ssh_channel_write)               \
    X(ssh_clean_pubkey_hash)           \
    X(ssh_connect)                     \
    X(ssh_disconnect)                  \
    X(ssh_free)                        \
    X(ssh_get_error)                   \
    X(ssh_get_fd)                      \
    X(ssh_get_fingerprint_hash)        \
    X(ssh_get_publickey_hash)          \
    X(ssh_get_server_publickey)        \
    X(ssh_is_connected)                \
    X(ssh_key_free)                    \
    X(ssh_key_type)                    \
    X(ssh_key_type_to_char)            \
    X(ssh_new)                         \
    X(ssh_options_get)                 \
    X(ssh_options_get_port)            \
    X(ssh_options_parse_config)        \
    X(ssh_options_set)                 \
    X(ssh_pki_export_pubkey_base64)    \
    X(ssh_pki_import_privkey_file)     \
    X(ssh_session_is_known_server)     \
    X(ssh_session_update_known_hosts)  \
    X(ssh_set_blocking)                \
    X(ssh_set_callbacks)               \
    X(ssh_string_free_char)            \
    X(ssh_userauth_kbdint)             \
    X(ssh_userauth_kbdint_getnprompts) \
    X(ssh_userauth_kbdint_getprompt)   \
    X(ssh_userauth_kbdint_setanswer)   \
    X(ssh_userauth_list)               \
    X(ssh_userauth_none)               \
    X(ssh_userauth_password)           \
    X(ssh_userauth_publickey)          \
    X(ssh_userauth_publickey_auto)

namespace lumivex::upload {

struct SshFunctions {
    LUMIVEX_SSH_FUNCTIONS(LUMIVEX_LAZY_POINTER)
};

// The library's functions, opened at the first call; throws EngineError when it is missing.
const SshFunctions& Ssh();

}  // namespace lumivex::upload
