#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lumivex::image {

// The conversion of a picture's colours from its embedded ICC profile into sRGB, made with
// Little CMS 2. A picture without a profile, or with one that is damaged (shorter than its header
// declares, or found faulty by Little CMS), that does not describe the picture's colour space,
// or that maps every colour onto itself within one level (an sRGB profile), needs none:
// `converts()` is then false and the picture is taken as sRGB.
// Copies share one transform; converting is safe from several threads at once.
class SrgbConversion {
public:
    // How the decoder hands over the pixels that the profile describes.
    enum class Input {
        Rgb,           // three bytes R, G, B; converted in place
        Cmyk,          // four bytes C, M, Y, K, 255 = full ink
        InvertedCmyk,  // four bytes, 0 = full ink, as Adobe applications write them
        Grey,          // grey expanded to three equal bytes; converted in place
    };

    SrgbConversion() = default;
    static SrgbConversion ForProfile(const std::uint8_t* profile, std::size_t size, Input input);

    bool converts() const { return transform_ != nullptr; }
    // Converts `count` pixels from `from` (laid out as the Input says) into R, G, B at `to`;
    // `to` may be `from` for Rgb and Grey.
    void Convert(const std::uint8_t* from, std::uint8_t* to, std::size_t count) const;

    struct Transform;

private:
    std::shared_ptr<const Transform> transform_;
};

}  // namespace lumivex::image
