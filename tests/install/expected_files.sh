#!/usr/bin/env bash
# Prints, sorted, every file an installation holds, relative to its prefix.
#   expected_files.sh SOURCE_DIR
set -euo pipefail
{
  printf '%s\n' bin/lumivex bin/lumivex-cli share/lumivex/lumivex.js share/lumivex/lumivex.min.js \
    share/applications/lumivex.desktop share/mime/packages/lumivex.xml \
    share/icons/hicolor/scalable/apps/lumivex.svg share/metainfo/org.lumivex.Lumivex.metainfo.xml \
    share/man/man1/lumivex.1.gz share/man/man1/lumivex-cli.1.gz \
    share/doc/lumivex/copyright share/doc/lumivex/changelog.gz
  # The shared data comes from the source tree's share folder, file for file.
  (cd "$1/share" && find help samples templates \( -type f -o -type l \) -printf 'share/lumivex/%p\n')
} | LC_ALL=C sort
