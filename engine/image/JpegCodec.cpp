// JPEG through the libjpeg API. libjpeg reports fatal errors through error_exit, whose default
// ends the process; ours jumps back to the call that started the work, which then raises
// ImageError. Only plain C data lives between setjmp and the jump.
//
// A photo's EXIF orientation (APP1) and ICC profile (APP2) are read from its markers; the
// caller's target size, the DCT scale and the declared size are those of the upright picture. A
// CMYK picture goes through its profile as its rows are read; an RGB or grey one is converted,
// and any picture turned upright, by FinishJpeg. Metadata that cannot be read leaves the picture
// as stored, in sRGB.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

// jpeglib.h needs size_t and FILE declared first, and jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

#include "EngineErrors.h"
#include "image/ColorProfile.h"
#include "image/Image.h"
#include "image/Orientation.h"

namespace lumivex::image {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int maxScans;
};

[[noreturn]] void jumpBack(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    cinfo->err->format_message(cinfo, err->message);
    jumpBack(cinfo);
}

// Corrupt or missing entropy data is only a warning to libjpeg, which then paints grey; a slide
// made from it would silently show a broken picture, so those warnings end the decode.
void emitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return;
    switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
#if defined(C_ARITH_CODING_SUPPORTED) || defined(D_ARITH_CODING_SUPPORTED)
        case JWRN_ARITH_BAD_CODE:
#endif
        case JWRN_MUST_RESYNC:
        case JWRN_BOGUS_PROGRESSION:
        case JWRN_NOT_SEQUENTIAL:
            errorExit(cinfo);
        default:
            break;  // extraneous bytes, unknown JFIF revision and the like do no harm
    }
}

// Multi-scan files can hold thousands of tiny scans that each cost a full pass.
void progressMonitor(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (dinfo->input_scan_number > err->maxScans) {
        std::snprintf(err->message, sizeof err->message, "too many scans (more than %d)",
                      err->maxScans);
        jumpBack(cinfo);
    }
}

void installErrorManager(ErrorManager& err, j_common_ptr cinfo, int maxScans) {
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.message[0] = '\0';
    err.maxScans = maxScans;
}

// Reads a file descriptor in large blocks, so a big original is never held in memory.
struct FileSource {
    jpeg_source_mgr pub;
    int fd;
    int readErrno;
    JOCTET buffer[1 << 16];
};

void initSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    ssize_t n;
    do {
        n = ::read(src->fd, src->buffer, sizeof src->buffer);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        src->readErrno = errno;
        ERREXIT(cinfo, JERR_FILE_READ);
    }
    if (n == 0) {
        // The usual libjpeg answer to a short file: a fake end marker and a warning, which
        // emitMessage turns into an error.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = static_cast<size_t>(n);
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    if (count <= 0)
        return;
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        fillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void termSource(j_decompress_ptr) {}

struct DecodeState {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    FileSource file;
    jpeg_progress_mgr progress;
    bool created = false;
    JOCTET* profile = nullptr;  // from jpeg_read_icc_profile, malloc'd
    unsigned int profileSize = 0;
    ~DecodeState() {
        std::free(profile);
        if (created)
            jpeg_destroy_decompress(&cinfo);
        if (file.fd >= 0)
            ::close(file.fd);
    }
};

// What the decode needs besides the picture; C++ objects, so they live outside runDecode's
// setjmp frame.
struct Extras {
    std::vector<JSAMPLE> cmykRow;
    SrgbConversion cmykConversion;
};

constexpr int kExifMarker = JPEG_APP0 + 1;
constexpr int kIccMarker = JPEG_APP0 + 2;

// The first APP1 block that holds EXIF data, as most readers take it.
int orientationOf(j_decompress_ptr cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m != nullptr; m = m->next) {
        if (m->marker == kExifMarker && m->data_length >= 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            return ExifOrientation(m->data, m->data_length);
        }
    }
    return kAsStored;
}

enum class Stage { Header, Decode };

bool hasBufferedImage(j_decompress_ptr cinfo) {
    return cinfo->progressive_mode || jpeg_has_multiple_scans(cinfo);
}

// Returns false after a libjpeg error (the message is in state.err.message). May raise the
// caller's exceptions from `target` and ImageError for sizes beyond the limits; both leave
// through plain C++ frames only.
bool runDecode(DecodeState& state, const Source& source, const TargetForSize& target,
               const DecodeLimits& limits, StoredJpeg& stored, Extras& extras) {
    DecodedPicture& out = stored.picture;
    j_decompress_ptr cinfo = &state.cinfo;
    if (setjmp(state.err.jump))
        return false;
    jpeg_create_decompress(cinfo);
    state.created = true;
    if (source.bytes != nullptr) {
        jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(source.bytes->data()),
                     static_cast<unsigned long>(source.bytes->size()));
    } else {
        state.file.pub.init_source = initSource;
        state.file.pub.fill_input_buffer = fillInputBuffer;
        state.file.pub.skip_input_data = skipInputData;
        state.file.pub.resync_to_restart = jpeg_resync_to_restart;
        state.file.pub.term_source = termSource;
        state.file.pub.bytes_in_buffer = 0;
        state.file.pub.next_input_byte = nullptr;
        cinfo->src = &state.file.pub;
    }
    jpeg_save_markers(cinfo, kExifMarker, 0xFFFF);
    jpeg_save_markers(cinfo, kIccMarker, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);

    const std::int64_t declared =
        static_cast<std::int64_t>(cinfo->image_width) * cinfo->image_height;
    stored.orientation = orientationOf(cinfo);
    const Size upright = UprightSize(static_cast<int>(cinfo->image_width),
                                     static_cast<int>(cinfo->image_height), stored.orientation);
    out.declaredWidth = upright.width;
    out.declaredHeight = upright.height;
    if (declared > limits.maxDeclaredJpegPixels ||
        (hasBufferedImage(cinfo) && declared > limits.maxPixels)) {
        throw ImageError(source.path, "the picture is too large (" +
                                          std::to_string(cinfo->image_width) + " x " +
                                          std::to_string(cinfo->image_height) + " pixels)");
    }

    const Size uprightWant = target(out.declaredWidth, out.declaredHeight);
    const Size want = UprightSize(uprightWant.width, uprightWant.height, stored.orientation);
    // The smallest DCT scale whose output (as stored) still covers the target; enlarging starts
    // at 8/8.
    for (unsigned num = 1; num <= 8; ++num) {
        cinfo->scale_num = num;
        cinfo->scale_denom = 8;
        jpeg_calc_output_dimensions(cinfo);
        if (static_cast<int>(cinfo->output_width) >= want.width &&
            static_cast<int>(cinfo->output_height) >= want.height) {
            break;
        }
    }
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(cinfo);
    // Adobe writes CMYK inverted, so each value is already "amount of white".
    const bool inverted = cinfo->saw_Adobe_marker;
    if (jpeg_read_icc_profile(cinfo, &state.profile, &state.profileSize)) {
        using Input = SrgbConversion::Input;
        const Input input = cmyk ? (inverted ? Input::InvertedCmyk : Input::Cmyk)
                            : cinfo->num_components == 1 ? Input::Grey
                                                         : Input::Rgb;
        SrgbConversion conversion =
            SrgbConversion::ForProfile(state.profile, state.profileSize, input);
        (cmyk ? extras.cmykConversion : stored.conversion) = std::move(conversion);
    }
    const std::int64_t outPixels =
        static_cast<std::int64_t>(cinfo->output_width) * cinfo->output_height;
    if (outPixels > limits.maxPixels) {
        throw ImageError(source.path, "the picture is too large (" +
                                          std::to_string(cinfo->output_width) + " x " +
                                          std::to_string(cinfo->output_height) +
                                          " pixels even when scaled down)");
    }

    state.progress = jpeg_progress_mgr{};
    state.progress.progress_monitor = progressMonitor;
    cinfo->progress = &state.progress;

    jpeg_start_decompress(cinfo);
    out.pixels =
        RgbImage(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height));
    std::vector<JSAMPLE>& cmykRow = extras.cmykRow;
    if (cmyk)
        cmykRow.resize(static_cast<std::size_t>(cinfo->output_width) * 4);
    const SrgbConversion& cmykConversion = extras.cmykConversion;
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = static_cast<int>(cinfo->output_scanline);
        JSAMPROW row = cmyk ? cmykRow.data() : out.pixels.row(y);
        jpeg_read_scanlines(cinfo, &row, 1);
        if (cmykConversion.converts()) {
            cmykConversion.Convert(row, out.pixels.row(y), cinfo->output_width);
        } else if (cmyk) {
            std::uint8_t* dst = out.pixels.row(y);
            for (JDIMENSION x = 0; x < cinfo->output_width; ++x) {
                int c = cmykRow[x * 4], m = cmykRow[x * 4 + 1], yy = cmykRow[x * 4 + 2],
                    k = cmykRow[x * 4 + 3];
                if (!inverted) {
                    c = 255 - c, m = 255 - m, yy = 255 - yy, k = 255 - k;
                }
                dst[x * 3] = static_cast<std::uint8_t>(c * k / 255);
                dst[x * 3 + 1] = static_cast<std::uint8_t>(m * k / 255);
                dst[x * 3 + 2] = static_cast<std::uint8_t>(yy * k / 255);
            }
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

struct EncodeState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool created = false;
    ~EncodeState() {
        if (created)
            jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
};

bool runEncode(EncodeState& state, const RgbImage& picture) {
    j_compress_ptr cinfo = &state.cinfo;
    if (setjmp(state.err.jump))
        return false;
    jpeg_create_compress(cinfo);
    state.created = true;
    jpeg_mem_dest(cinfo, &state.buffer, &state.size);
    cinfo->image_width = static_cast<JDIMENSION>(picture.width);
    cinfo->image_height = static_cast<JDIMENSION>(picture.height);
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, 90, TRUE);
    // Huffman tables made for the picture: smaller files, still baseline (SOF0).
    cinfo->optimize_coding = TRUE;
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.row(static_cast<int>(cinfo->next_scanline)));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

}  // namespace

StoredJpeg DecodeJpegAsStored(const Source& source, const TargetForSize& target,
                              const DecodeLimits& limits) {
    auto state = std::make_unique<DecodeState>();
    state->file.fd = -1;
    state->file.readErrno = 0;
    if (source.bytes == nullptr) {
        state->file.fd = ::open(source.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (state->file.fd < 0)
            throw FileError(source.path, errno, "open");
    }
    installErrorManager(state->err, reinterpret_cast<j_common_ptr>(&state->cinfo),
                        limits.maxJpegScans);
    StoredJpeg out;
    Extras extras;
    if (!runDecode(*state, source, target, limits, out, extras)) {
        if (state->file.readErrno != 0)
            throw FileError(source.path, state->file.readErrno, "read");
        throw ImageError(source.path, state->err.message);
    }
    return out;
}

RgbImage FinishJpeg(RgbImage asStored, const StoredJpeg& decoded) {
    decoded.conversion.Convert(asStored.pixels.data(), asStored.pixels.data(),
                               asStored.pixels.size() / 3);
    return TurnUpright(std::move(asStored), decoded.orientation);
}

DecodedPicture DecodeJpeg(const Source& source, const TargetForSize& target,
                          const DecodeLimits& limits) {
    StoredJpeg stored = DecodeJpegAsStored(source, target, limits);
    stored.picture.pixels = FinishJpeg(std::move(stored.picture.pixels), stored);
    return std::move(stored.picture);
}

std::string EncodeJpeg(const RgbImage& picture) {
    auto state = std::make_unique<EncodeState>();
    installErrorManager(state->err, reinterpret_cast<j_common_ptr>(&state->cinfo), 0);
    if (!runEncode(*state, picture))
        throw ImageError("slide image", state->err.message);
    return std::string(reinterpret_cast<const char*>(state->buffer), state->size);
}

}  // namespace lumivex::image
