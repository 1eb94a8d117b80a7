// PNG through libpng. libpng reports errors by jumping back to the setjmp of the call that
// started the work; each such call below is a small function with only plain C data in its
// frame, and the C++ caller turns a jump into ImageError.
//
// Every kind of PNG is read as 8-bit RGB or RGBA: palettes and grey expanded, 16-bit samples
// scaled, simple transparency (tRNS) made alpha. A non-interlaced picture is decoded one row at
// a time as the resampler asks; an interlaced one only as a whole.

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "EngineErrors.h"
#include "image/DecodeSupport.h"
#include "image/Image.h"
#include "image/Orientation.h"
#include "image/Transparency.h"

namespace lumivex::image {

namespace {

// What libpng's callbacks reach: the file's bytes and the last error.
struct PngInput {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
    char message[256] = {};
};

void readData(png_structp png, png_bytep out, png_size_t length) {
    auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
    if (length > in->size - in->offset)
        png_error(png, "the file is cut short");
    std::memcpy(out, in->data + in->offset, length);
    in->offset += length;
}

[[noreturn]] void onError(png_structp png, png_const_charp message) {
    auto* in = static_cast<PngInput*>(png_get_error_ptr(png));
    std::snprintf(in->message, sizeof in->message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

struct PngHeader {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_bytep icc = nullptr;
    png_uint_32 iccSize = 0;
    png_bytep exif = nullptr;
    png_uint_32 exifSize = 0;
};

bool readHeader(png_structp png, png_infop info, png_uint_32 maxSide, PngHeader& h) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, maxSide, maxSide);
    png_read_info(png, info);
    png_get_IHDR(png, info, &h.width, &h.height, &h.bitDepth, &h.colourType, &h.interlace, nullptr,
                 nullptr);
    png_charp name = nullptr;
    int compression = 0;
    if (png_get_iCCP(png, info, &name, &compression, &h.icc, &h.iccSize) == 0)
        h.icc = nullptr;
    if (png_get_eXIf_1(png, info, &h.exifSize, &h.exif) == 0)
        h.exif = nullptr;
    return true;
}

// Takes the row buffers, so it runs only once the size has been accepted.
bool startRows(png_structp png, png_infop info, png_size_t& rowBytes, int& channels) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    rowBytes = png_get_rowbytes(png, info);
    channels = png_get_channels(png, info);
    return true;
}

bool readRow(png_structp png, png_bytep row) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_row(png, row, nullptr);
    return true;
}

bool readImage(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    return true;
}

class PngRows final : public RowSource {
public:
    explicit PngRows(std::string path) : path_(std::move(path)) {}
    ~PngRows() override {
        if (png_ != nullptr)
            png_destroy_read_struct(&png_, &info_, nullptr);
    }
    PngRows(const PngRows&) = delete;
    PngRows& operator=(const PngRows&) = delete;

    int width() const override { return width_; }
    int height() const override { return height_; }
    const std::uint8_t* row(int y) override {
        if (y < 0 || y >= height_)
            throw std::out_of_range("PNG row out of range");
        const std::uint8_t* raw = nullptr;
        if (!whole_.empty()) {
            raw = whole_.data() + static_cast<std::size_t>(y) * rowBytes_;
        } else {
            if (y < next_ - 1)
                throw std::logic_error("PNG rows are read in order");
            while (next_ <= y) {
                if (!readRow(png_, raw_.data()))
                    fail();
                ++next_;
            }
            raw = raw_.data();
        }
        if (channels_ == 4) {
            LayOnBackground(raw, line_.data(), static_cast<std::size_t>(width_), conversion_,
                            background_);
        } else {
            std::memcpy(line_.data(), raw, line_.size());
            conversion_.Convert(line_.data(), line_.data(), static_cast<std::size_t>(width_));
        }
        return line_.data();
    }

    [[noreturn]] void fail() const {
        throw ImageError(path_, input_.message[0] != '\0' ? input_.message : "damaged PNG data");
    }

    std::string path_;
    std::unique_ptr<SourceBytes> bytes_;
    PngInput input_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    int width_ = 0, height_ = 0;
    int channels_ = 3;
    png_size_t rowBytes_ = 0;
    Rgb background_;
    SrgbConversion conversion_;
    int next_ = 0;                     // the next row libpng hands out
    std::vector<std::uint8_t> raw_;    // that row, as libpng gives it
    std::vector<std::uint8_t> whole_;  // an interlaced picture
    std::vector<std::uint8_t> line_;
};

}  // namespace

namespace {

// The orientation of the picture's EXIF block; the chunk holds the TIFF structure without the
// header that JPEG's APP1 block has.
int orientationOf(const PngHeader& header) {
    if (header.exif == nullptr)
        return kAsStored;
    std::string block("Exif\0\0", 6);
    block.append(reinterpret_cast<const char*>(header.exif), header.exifSize);
    return ExifOrientation(reinterpret_cast<const std::uint8_t*>(block.data()), block.size());
}

// A PNG read up to its pixel data, its declared size checked.
std::unique_ptr<PngRows> openPng(const Source& source, const DecodeLimits& limits,
                                 PngHeader& header) {
    auto rows = std::make_unique<PngRows>(source.path);
    rows->bytes_ = std::make_unique<SourceBytes>(source);
    const SourceBytes& bytes = *rows->bytes_;
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
        throw ImageError(source.path, "not a PNG file");
    rows->input_.data = bytes.data();
    rows->input_.size = bytes.size();
    rows->png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &rows->input_, onError, onWarning);
    if (rows->png_ != nullptr)
        rows->info_ = png_create_info_struct(rows->png_);
    if (rows->png_ == nullptr || rows->info_ == nullptr)
        throw ImageError(source.path, "out of memory");
    png_set_read_fn(rows->png_, &rows->input_, readData);
    // libpng refuses a side beyond this by itself; the rest is checked here.
    const auto maxSide =
        static_cast<png_uint_32>(std::clamp<std::int64_t>(limits.maxPixels, 1, PNG_UINT_31_MAX));
    if (!readHeader(rows->png_, rows->info_, maxSide, header))
        rows->fail();
    // An interlaced picture has no complete row before its last pass.
    CheckDeclaredSize(source.path, header.width, header.height,
                      header.interlace != PNG_INTERLACE_NONE ? Holding::Whole : Holding::Rows,
                      bytes.size(), limits);
    rows->width_ = static_cast<int>(header.width);
    rows->height_ = static_cast<int>(header.height);
    return rows;
}

// Sets up the 8-bit RGB or RGBA rows; an interlaced picture is decoded whole here.
void startPng(PngRows& rows, const PngHeader& header) {
    if (!startRows(rows.png_, rows.info_, rows.rowBytes_, rows.channels_))
        rows.fail();
    if ((rows.channels_ != 3 && rows.channels_ != 4) ||
        rows.rowBytes_ != static_cast<png_size_t>(rows.width_) * rows.channels_) {
        throw ImageError(rows.path_, "unsupported PNG layout");
    }
    rows.line_.resize(static_cast<std::size_t>(rows.width_) * 3);
    if (header.interlace == PNG_INTERLACE_NONE) {
        rows.raw_.resize(rows.rowBytes_);
        return;
    }
    rows.whole_.resize(rows.rowBytes_ * static_cast<std::size_t>(rows.height_));
    std::vector<png_bytep> pointers(static_cast<std::size_t>(rows.height_));
    for (std::size_t y = 0; y < pointers.size(); ++y)
        pointers[y] = rows.whole_.data() + y * rows.rowBytes_;
    if (!readImage(rows.png_, pointers.data()))
        rows.fail();
}

}  // namespace

StoredRows OpenPngRows(const Source& source, Rgb background, const DecodeLimits& limits,
                       const TargetForSize& target) {
    PngHeader header;
    std::unique_ptr<PngRows> rows = openPng(source, limits, header);
    StoredRows out;
    out.orientation = orientationOf(header);
    if (header.icc != nullptr) {
        const bool grey = (header.colourType & PNG_COLOR_MASK_COLOR) == 0;
        rows->conversion_ = SrgbConversion::ForProfile(
            header.icc, header.iccSize,
            grey ? SrgbConversion::Input::Grey : SrgbConversion::Input::Rgb);
    }
    rows->background_ = background;
    if (target) {
        const Size upright = UprightSize(rows->width_, rows->height_, out.orientation);
        target(upright.width, upright.height);
    }
    startPng(*rows, header);
    out.rows = std::move(rows);
    return out;
}

Size ProbePng(const Source& source, const DecodeLimits& limits) {
    PngHeader header;
    const std::unique_ptr<PngRows> rows = openPng(source, limits, header);
    return UprightSize(rows->width_, rows->height_, orientationOf(header));
}

DecodedPicture DecodePng(const Source& source, Rgb background, const TargetForSize& target,
                         const DecodeLimits& limits) {
    StoredRows stored = OpenPngRows(source, background, limits, target);
    DecodedPicture out;
    out.pixels = TurnUpright(ReadAllRows(*stored.rows), stored.orientation);
    out.declaredWidth = out.pixels.width;
    out.declaredHeight = out.pixels.height;
    return out;
}

}  // namespace lumivex::image
