// Embedded ICC profiles to sRGB with Little CMS 2. Making a transform costs a few milliseconds
// (longer than converting a DCT-scaled photo), and the photos of one camera carry the same
// profile, so transforms are kept per profile for the life of the process, a few at a time.

#include "image/ColorProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace lumivex::image {

struct SrgbConversion::Transform {
    cmsHTRANSFORM handle = nullptr;
    explicit Transform(cmsHTRANSFORM h) : handle(h) {}
    ~Transform() { cmsDeleteTransform(handle); }
    Transform(const Transform&) = delete;
    Transform& operator=(const Transform&) = delete;
};

namespace {

using Input = SrgbConversion::Input;

constexpr std::size_t kRememberedTransforms = 8;
constexpr std::size_t kLargestRememberedProfile = 256 * 1024;

// Little CMS reports what it finds wrong in a profile here; the profile is then not trusted.
void noteError(cmsContext context, cmsUInt32Number, const char*) {
    if (auto* seen = static_cast<bool*>(cmsGetContextUserData(context)))
        *seen = true;
}

// The size that a profile's header declares (big-endian, at the start), which a profile cut
// short no longer reaches. Little CMS would read what is left as if it were whole.
bool declaresItsOwnSize(std::string_view bytes) {
    if (bytes.size() < 128)
        return false;
    std::uint32_t declared = 0;
    for (int i = 0; i < 4; ++i)
        declared = declared << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return declared >= 128 && declared <= bytes.size();
}

cmsUInt32Number inputFormat(Input input) {
    switch (input) {
        case Input::Rgb:
            return TYPE_RGB_8;
        case Input::Cmyk:
            return TYPE_CMYK_8;
        case Input::InvertedCmyk:
            return TYPE_CMYK_8_REV;
        case Input::Grey:
            return TYPE_GRAY_8 | EXTRA_SH(2);  // the first of three equal bytes
    }
    return 0;
}

cmsColorSpaceSignature spaceOf(Input input) {
    switch (input) {
        case Input::Rgb:
            return cmsSigRgbData;
        case Input::Cmyk:
        case Input::InvertedCmyk:
            return cmsSigCmykData;
        case Input::Grey:
            return cmsSigGrayData;
    }
    return cmsSigRgbData;
}

struct ProfileCloser {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
using ProfilePtr = std::unique_ptr<void, ProfileCloser>;

// True when the transform leaves every colour of a coarse grid (and the whole grey ramp) within
// one level of where it was: the profile is sRGB already, and converting would only add rounding.
bool isIdentity(cmsHTRANSFORM transform, Input input) {
    if (input != Input::Rgb && input != Input::Grey)
        return false;
    std::vector<std::uint8_t> probe;
    for (int r = 0; r <= 255; r += 17) {
        for (int g = 0; g <= 255; g += 17) {
            for (int b = 0; b <= 255; b += 17) {
                if (input == Input::Rgb || (r == g && g == b))
                    probe.insert(probe.end(),
                                 {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                  static_cast<std::uint8_t>(b)});
            }
        }
    }
    for (int v = 0; v <= 255; ++v)
        probe.insert(probe.end(), 3, static_cast<std::uint8_t>(v));
    std::vector<std::uint8_t> out(probe.size());
    cmsDoTransform(transform, probe.data(), out.data(),
                   static_cast<cmsUInt32Number>(probe.size() / 3));
    for (std::size_t i = 0; i < probe.size(); ++i) {
        if (std::abs(static_cast<int>(out[i]) - probe[i]) > 1)
            return false;
    }
    return true;
}

class Transforms {
public:
    Transforms() : context_(cmsCreateContext(nullptr, &sawError_)) {
        cmsSetLogErrorHandlerTHR(context_, noteError);
        srgb_ = cmsCreate_sRGBProfileTHR(context_);
    }
    ~Transforms() {
        remembered_.clear();
        if (srgb_ != nullptr)
            cmsCloseProfile(srgb_);
        cmsDeleteContext(context_);
    }
    Transforms(const Transforms&) = delete;
    Transforms& operator=(const Transforms&) = delete;

    std::shared_ptr<const SrgbConversion::Transform> find(std::string_view profile, Input input) {
        // Profiles share the sRGB profile, and Little CMS reads a profile's tags lazily, so
        // transforms are made one at a time.
        std::lock_guard lock(mutex_);
        for (auto it = remembered_.begin(); it != remembered_.end(); ++it) {
            if (it->input == input && it->profile == profile) {
                remembered_.splice(remembered_.begin(), remembered_, it);
                return it->transform;
            }
        }
        auto transform = make(profile, input);
        if (profile.size() <= kLargestRememberedProfile) {
            remembered_.push_front(Remembered{input, std::string(profile), transform});
            if (remembered_.size() > kRememberedTransforms)
                remembered_.pop_back();
        }
        return transform;
    }

private:
    struct Remembered {
        Input input;
        std::string profile;
        std::shared_ptr<const SrgbConversion::Transform> transform;  // null: converts nothing
    };

    std::shared_ptr<const SrgbConversion::Transform> make(std::string_view bytes, Input input) {
        if (srgb_ == nullptr || !declaresItsOwnSize(bytes) || bytes.size() > 0xFFFFFFFFu)
            return nullptr;
        sawError_ = false;
        ProfilePtr profile(cmsOpenProfileFromMemTHR(context_, bytes.data(),
                                                    static_cast<cmsUInt32Number>(bytes.size())));
        if (!profile || sawError_ || cmsGetColorSpace(profile.get()) != spaceOf(input))
            return nullptr;
        switch (cmsGetDeviceClass(profile.get())) {
            case cmsSigInputClass:
            case cmsSigDisplayClass:
            case cmsSigOutputClass:
            case cmsSigColorSpaceClass:
                break;
            default:  // links, abstract and named-colour profiles describe no picture
                return nullptr;
        }
        cmsHTRANSFORM handle =
            cmsCreateTransformTHR(context_, profile.get(), inputFormat(input), srgb_, TYPE_RGB_8,
                                  INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
        if (handle == nullptr)
            return nullptr;
        auto transform = std::make_shared<const SrgbConversion::Transform>(handle);
        if (sawError_ || isIdentity(handle, input))
            return nullptr;
        return transform;
    }

    bool sawError_ = false;  // set by noteError; profiles are opened under mutex_
    cmsContext context_;
    cmsHPROFILE srgb_ = nullptr;
    std::mutex mutex_;
    std::list<Remembered> remembered_;
};

Transforms& transforms() {
    static Transforms instance;
    return instance;
}

}  // namespace

SrgbConversion SrgbConversion::ForProfile(const std::uint8_t* profile, std::size_t size,
                                          Input input) {
    SrgbConversion out;
    if (profile == nullptr || size == 0)
        return out;
    out.transform_ =
        transforms().find(std::string_view(reinterpret_cast<const char*>(profile), size), input);
    return out;
}

void SrgbConversion::Convert(const std::uint8_t* from, std::uint8_t* to, std::size_t count) const {
    if (!transform_ || count == 0)
        return;
    cmsDoTransform(transform_->handle, from, to, static_cast<cmsUInt32Number>(count));
}

}  // namespace lumivex::image
