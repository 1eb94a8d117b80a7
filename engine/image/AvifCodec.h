#pragma once

#include <string>

#include "image/Image.h"

namespace lumivex::image {

// AV1 still pictures (AVIF) beside the JPEG slides of the modern web output.

// The encoder's speed (0 slowest to 10), chosen by bench/web-output: the fastest setting whose
// files stay within a few percent of the slower ones' size at the same fidelity.
inline constexpr int kAvifSpeed = 9;

// 8-bit 4:2:0 AVIF of an sRGB picture, without metadata, at an AV1 quantizer (0 best, 63 worst).
std::string EncodeAvif(const RgbImage& picture, int quantizer, int speed = kAvifSpeed);
// The picture an AVIF shows; raises ImageError for anything it cannot decode.
RgbImage DecodeAvif(const std::string& bytes);
// Peak signal-to-noise ratio of `a` against `b` (same size) over R, G and B, in dB; infinite when
// they are equal.
double Psnr(const RgbImage& a, const RgbImage& b);

// How an AVIF must compare with the JPEG it stands beside.
inline constexpr double kAvifPsnrAllowance = 0.5;  // dB below the JPEG's at most

// An AVIF of `picture` that is smaller than `jpeg` (the same picture encoded) and whose PSNR
// against `picture` is at most kAvifPsnrAllowance below the JPEG's; "" when none was found. It is
// the smallest such file that a few encodes found.
// `quantizerHint`, when given, is where the search starts (0: the usual start) and receives
// the quantizer found, a good start for the same picture at another size; `tries` bounds the
// encodes. `firstThatPasses` ends the search at the first AVIF that is good enough, rather than
// trying a coarser one.
std::string AvifBeside(const RgbImage& picture, const std::string& jpeg,
                       int* quantizerHint = nullptr, int speed = kAvifSpeed, int tries = 3,
                       bool firstThatPasses = false);

}  // namespace lumivex::image
