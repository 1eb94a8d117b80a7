// JPEG through the libjpeg API. libjpeg reports fatal errors through error_exit, whose default
// ends the process; ours jumps back to the call that started the work, which then raises
// ImageError. Only plain C data lives between setjmp and the jump.
//
// A photo's EXIF orientation (APP1) and ICC profile (APP2) are read from its markers; the
// caller's target size, the DCT scale and the declared size are those of the upright picture. A
// CMYK picture goes through its profile as its rows are read; an RGB or grey one is converted,
// and any picture turned upright, by FinishJpeg. Metadata that cannot be read leaves the picture
// as stored, in sRGB.

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

// jpeglib.h needs size_t and FILE declared first, and jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

#include "EngineErrors.h"
#include "FileIO.h"
#include "image/CameraThumbnail.h"
#include "image/ColorProfile.h"
#include "image/DecodeSupport.h"
#include "image/Image.h"
#include "image/Orientation.h"

namespace lumivex::image {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int maxScans;
    std::int64_t maxScanBlocks;
    int lastScan;  // the scan whose blocks were last counted
    std::int64_t scanBlocks;
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

// A multi-scan file pays a pass over every block of a scan's components however few bytes the
// scan holds, so a small file of many scans over a large picture runs for ages: the blocks are
// added up as each scan starts, and the decode ends past the limit.
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
    if (dinfo->input_scan_number == err->lastScan)
        return;
    err->lastScan = dinfo->input_scan_number;
    for (int i = 0; i < dinfo->comps_in_scan; ++i) {
        const jpeg_component_info* c = dinfo->cur_comp_info[i];
        err->scanBlocks += static_cast<std::int64_t>(c->width_in_blocks) * c->height_in_blocks;
    }
    if (err->scanBlocks > err->maxScanBlocks) {
        std::snprintf(err->message, sizeof err->message,
                      "too much work: its scans cover more than %lld blocks",
                      static_cast<long long>(err->maxScanBlocks));
        jumpBack(cinfo);
    }
}

void installErrorManager(ErrorManager& err, j_common_ptr cinfo, const DecodeLimits& limits) {
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.message[0] = '\0';
    err.maxScans = limits.maxJpegScans;
    err.maxScanBlocks = limits.maxJpegScanBlocks;
    err.lastScan = 0;
    err.scanBlocks = 0;
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
    long n = ReadInto(src->fd, src->buffer, sizeof src->buffer);
    if (n < 0) {
        src->readErrno = static_cast<int>(-n);
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
    FileDescriptor fd{-1};
    std::uint64_t fileBytes = 0;
    ~DecodeState() {
        std::free(profile);
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
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

// The libjpeg steps, each returning false after a libjpeg error (the message is in
// state.err.message). Only plain C data lives in their frames.

bool readHeader(DecodeState& state, const std::string* bytes) {
    j_decompress_ptr cinfo = &state.cinfo;
    if (setjmp(state.err.jump))
        return false;
    jpeg_create_decompress(cinfo);
    state.created = true;
    if (bytes != nullptr) {
        jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(bytes->data()),
                     static_cast<unsigned long>(bytes->size()));
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
    if (!jpeg_read_icc_profile(cinfo, &state.profile, &state.profileSize))
        state.profile = nullptr;
    return true;
}

// The smallest DCT scale whose output (as stored) still covers `want`; enlarging starts at 8/8.
bool chooseScale(DecodeState& state, int wantWidth, int wantHeight, bool cmyk) {
    j_decompress_ptr cinfo = &state.cinfo;
    if (setjmp(state.err.jump))
        return false;
    for (unsigned num = 1; num <= 8; ++num) {
        cinfo->scale_num = num;
        cinfo->scale_denom = 8;
        jpeg_calc_output_dimensions(cinfo);
        if (static_cast<int>(cinfo->output_width) >= wantWidth &&
            static_cast<int>(cinfo->output_height) >= wantHeight) {
            break;
        }
    }
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(cinfo);
    return true;
}

bool startDecode(DecodeState& state) {
    if (setjmp(state.err.jump))
        return false;
    state.progress = jpeg_progress_mgr{};
    state.progress.progress_monitor = progressMonitor;
    state.cinfo.progress = &state.progress;
    jpeg_start_decompress(&state.cinfo);
    return true;
}

bool readRow(DecodeState& state, JSAMPROW row) {
    if (setjmp(state.err.jump))
        return false;
    jpeg_read_scanlines(&state.cinfo, &row, 1);
    return true;
}

bool finishDecode(DecodeState& state) {
    if (setjmp(state.err.jump))
        return false;
    jpeg_finish_decompress(&state.cinfo);
    return true;
}

bool skipRows(DecodeState& state, int rows) {
    if (setjmp(state.err.jump))
        return false;
    jpeg_skip_scanlines(&state.cinfo, static_cast<JDIMENSION>(rows));
    return true;
}

[[noreturn]] void fail(const DecodeState& state, const std::string& path) {
    if (state.file.readErrno != 0)
        throw FileError(path, state.file.readErrno, "read");
    throw ImageError(path, state.err.message);
}

// Several scans are gathered in a buffer of the whole picture; one scan is decoded scaled.
bool isBuffered(j_decompress_ptr cinfo) {
    return cinfo->progressive_mode || jpeg_has_multiple_scans(cinfo);
}

bool isCmyk(j_decompress_ptr cinfo) {
    return cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
}

// The header read and its declared size checked: nothing of the picture is decoded yet.
std::unique_ptr<DecodeState> openJpeg(const Source& source, const DecodeLimits& limits) {
    auto state = std::make_unique<DecodeState>();
    state->file.fd = -1;
    state->file.readErrno = 0;
    if (source.bytes == nullptr) {
        state->fd = OpenRegularFile(source.path, &state->fileBytes);
        state->file.fd = state->fd.get();
    } else {
        state->fileBytes = source.bytes->size();
    }
    installErrorManager(state->err, reinterpret_cast<j_common_ptr>(&state->cinfo), limits);
    if (!readHeader(*state, source.bytes))
        fail(*state, source.path);
    j_decompress_ptr cinfo = &state->cinfo;
    CheckDeclaredSize(source.path, cinfo->image_width, cinfo->image_height,
                      isBuffered(cinfo) ? Holding::Whole : Holding::Scaled, state->fileBytes,
                      limits);
    return state;
}

// The file's bytes one at a time, from memory or read in blocks.
class ByteReader {
public:
    ByteReader(const Source& source) : bytes_(source.bytes) {
        if (bytes_ == nullptr)
            fd_ = OpenRegularFile(source.path);
    }
    int next() {
        if (at_ == size_ && !refill())
            return -1;
        return data_[at_++];
    }

private:
    bool refill() {
        if (bytes_ != nullptr) {
            if (data_ != nullptr)
                return false;
            data_ = reinterpret_cast<const std::uint8_t*>(bytes_->data());
            size_ = bytes_->size();
        } else {
            const long n = ReadInto(fd_.get(), block_.data(), block_.size());
            data_ = block_.data();
            size_ = n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        at_ = 0;
        return size_ > 0;
    }

    const std::string* bytes_;
    FileDescriptor fd_{-1};
    std::vector<std::uint8_t> block_ = std::vector<std::uint8_t>(1 << 16);
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0, at_ = 0;
};

// The blocks that the file's scans cover, added up, found by walking its markers: what decoding
// a multi-scan picture costs, known before the buffer for the whole picture is taken. Stops at
// the end of the picture, at the end of the file, or once past `limit`; what it cannot parse
// is left to libjpeg.
std::int64_t scanBlocks(const Source& source, j_decompress_ptr cinfo, std::int64_t limit) {
    ByteReader in(source);
    std::int64_t total = 0;
    int marker = 0;
    auto nextMarker = [&] {
        // Entropy-coded data stuffs a 0 after each 0xFF, and restart markers lie within it.
        for (int b = in.next(); b >= 0; b = in.next()) {
            if (b != 0xFF)
                continue;
            do
                b = in.next();
            while (b == 0xFF);
            if (b > 0 && (b < 0xD0 || b > 0xD7))
                return b;
            if (b < 0)
                return -1;
        }
        return -1;
    };
    while (total <= limit && (marker = nextMarker()) >= 0 && marker != 0xD9) {
        if (marker == 0xD8 || marker == 0x01)
            continue;  // no length
        const int high = in.next(), low = in.next();
        int length = (high << 8 | low) - 2;
        if (high < 0 || low < 0 || length < 0)
            break;
        if (marker == 0xDA && length >= 1) {
            const int components = in.next();
            --length;
            for (int i = 0; i < components && length >= 2; ++i, length -= 2) {
                const int id = in.next();
                in.next();  // the tables
                for (int c = 0; c < cinfo->num_components; ++c) {
                    const jpeg_component_info& comp = cinfo->comp_info[c];
                    if (comp.component_id == id)
                        total +=
                            static_cast<std::int64_t>(comp.width_in_blocks) * comp.height_in_blocks;
                }
            }
        }
        while (length-- > 0)
            in.next();
    }
    return total;
}

// The rows as stored into `out`, CMYK made RGB through its profile or by inverting.
// Rows from the decoder's current one on, into `out` from its top, until `out` is full.
void decodeRows(DecodeState& state, const std::string& path, RgbImage& out) {
    j_decompress_ptr cinfo = &state.cinfo;
    const int first = static_cast<int>(cinfo->output_scanline);
    const auto end = static_cast<JDIMENSION>(first + out.height);
    const bool cmyk = isCmyk(cinfo);
    // Adobe writes CMYK inverted, so each value is already "amount of white".
    const bool inverted = cinfo->saw_Adobe_marker;
    SrgbConversion cmykConversion;
    if (cmyk && state.profile != nullptr) {
        cmykConversion = SrgbConversion::ForProfile(
            state.profile, state.profileSize,
            inverted ? SrgbConversion::Input::InvertedCmyk : SrgbConversion::Input::Cmyk);
    }
    std::vector<JSAMPLE> cmykRow(cmyk ? static_cast<std::size_t>(cinfo->output_width) * 4 : 0);
    while (cinfo->output_scanline < end) {
        const int y = static_cast<int>(cinfo->output_scanline) - first;
        JSAMPROW row = cmyk ? cmykRow.data() : out.row(y);
        if (!readRow(state, row))
            fail(state, path);
        if (cmykConversion.converts()) {
            cmykConversion.Convert(row, out.row(y), cinfo->output_width);
        } else if (cmyk) {
            std::uint8_t* dst = out.row(y);
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
                              const DecodeLimits& limits, const RowsWanted& rows) {
    const std::unique_ptr<DecodeState> state = openJpeg(source, limits);
    j_decompress_ptr cinfo = &state->cinfo;
    StoredJpeg out;
    out.orientation = orientationOf(cinfo);
    const Size upright = UprightSize(static_cast<int>(cinfo->image_width),
                                     static_cast<int>(cinfo->image_height), out.orientation);
    out.picture.declaredWidth = upright.width;
    out.picture.declaredHeight = upright.height;
    const Size uprightWant = target(upright.width, upright.height);
    const Size want = UprightSize(uprightWant.width, uprightWant.height, out.orientation);
    const bool cmyk = isCmyk(cinfo);
    if (!chooseScale(*state, want.width, want.height, cmyk))
        fail(*state, source.path);
    if (isBuffered(cinfo) &&
        scanBlocks(source, cinfo, limits.maxJpegScanBlocks) > limits.maxJpegScanBlocks) {
        throw ImageError(source.path, "too much work: its scans cover more than " +
                                          std::to_string(limits.maxJpegScanBlocks) + " blocks");
    }
    if (!cmyk && state->profile != nullptr) {
        out.conversion = SrgbConversion::ForProfile(
            state->profile, state->profileSize,
            cinfo->num_components == 1 ? SrgbConversion::Input::Grey : SrgbConversion::Input::Rgb);
    }
    if (static_cast<std::int64_t>(cinfo->output_width) * cinfo->output_height > limits.maxPixels)
        throw ImageError(source.path, TooLarge(cinfo->output_width, cinfo->output_height, true));
    if (!startDecode(*state))
        fail(*state, source.path);
    const int width = static_cast<int>(cinfo->output_width);
    const int height = static_cast<int>(cinfo->output_height);
    RowSpan span{0, height};
    if (rows) {
        span = rows(Size{width, height}, out.orientation);
        span.first = std::clamp(span.first, 0, height - 1);
        span.count = std::clamp(span.count, 1, height - span.first);
    }
    if (span.first > 0 && !skipRows(*state, span.first))
        fail(*state, source.path);
    out.firstRow = span.first;
    out.picture.pixels = RgbImage(width, span.count);
    decodeRows(*state, source.path, out.picture.pixels);
    // The rows below are never read; the file's end is not checked then.
    if (span.first + span.count < height)
        jpeg_abort_decompress(cinfo);
    else if (!finishDecode(*state))
        fail(*state, source.path);
    return out;
}

Size ProbeJpeg(const Source& source, const DecodeLimits& limits) {
    const std::unique_ptr<DecodeState> state = openJpeg(source, limits);
    return UprightSize(static_cast<int>(state->cinfo.image_width),
                       static_cast<int>(state->cinfo.image_height), orientationOf(&state->cinfo));
}

std::string JpegExifThumbnail(const Source& source, const DecodeLimits& limits) {
    const std::unique_ptr<DecodeState> state = openJpeg(source, limits);
    for (jpeg_saved_marker_ptr m = state->cinfo.marker_list; m != nullptr; m = m->next) {
        if (m->marker == kExifMarker && m->data_length >= 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            return ExifThumbnail(m->data, m->data_length);
        }
    }
    return {};
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
    installErrorManager(state->err, reinterpret_cast<j_common_ptr>(&state->cinfo), DecodeLimits{});
    if (!runEncode(*state, picture))
        throw ImageError("slide image", state->err.message);
    return std::string(reinterpret_cast<const char*>(state->buffer), state->size);
}

}  // namespace lumivex::image
