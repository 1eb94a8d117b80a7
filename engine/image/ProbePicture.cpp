#include "image/ProbePicture.h"

#include "image/DecodeSupport.h"
#include "image/SlidePicture.h"

namespace lumivex::image {

PictureInfo ProbePicture(const std::string& path, const DecodeLimits& limits) {
    PictureInfo info;
    info.kind = KindForPath(path);
    const Source source{path, nullptr};
    switch (info.kind) {
        case PictureKind::Jpeg:
            info.size = ProbeJpeg(source, limits);
            break;
        case PictureKind::Gif:
            info.size = ProbeGif(source, limits);
            break;
        case PictureKind::Bmp:
            info.size = ProbeBmp(source, limits);
            break;
        case PictureKind::Png:
            info.size = ProbePng(source, limits);
            break;
        case PictureKind::Webp:
            info.size = ProbeWebp(source, limits);
            break;
        case PictureKind::Heic:
        case PictureKind::Avif:
            info.size = ProbeHeif(source, limits);
            break;
    }
    return info;
}

}  // namespace lumivex::image
