#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "image/Image.h"

namespace lumivex::image {

// Where the subject of a picture is, as fractions of its upright width and height (0 left or
// top, 1 right or bottom). A filled slide is cropped around it and a zoom moves towards it.
struct FocalPoint {
    double x = 0.5;
    double y = 0.5;
    friend bool operator==(const FocalPoint&, const FocalPoint&) = default;
};

// An item keeps the focal point the designer chose as "X,Y", percentages of the picture's width
// and height with at most one decimal and "." as the decimal point ("72.5,40"). Anything else,
// the empty text included, means "find it in the picture".
std::optional<FocalPoint> ParseFocalPoint(std::string_view text);
std::string FocalPointText(FocalPoint point);

// The subject of a picture, found as the eye would: what stands out by its colour from the
// picture as a whole and by its edges and contrast, on a small copy (so that the size of the
// picture given hardly changes the answer), lightly weighted towards the centre. A picture
// without anything standing out gives its centre.
FocalPoint FindFocalPoint(const RgbImage& picture);
// Changes whenever the point found for a photo would differ (FindFocalPoint, or what it is
// given); part of cache keys.
inline constexpr std::string_view kFocalPointVersion = "saliency2";

// The smallest size of a w x h picture, kept in proportion, that covers a box of boxWidth x
// boxHeight; at least the box's own size on either side. Every argument must be above 0.
Size CoverBox(int w, int h, int boxWidth, int boxHeight);

// Where a crop `crop` long of a side `side` long starts so that its centre comes as close to
// `focus` (a fraction of the side) as the side's ends allow.
int CropStart(int side, int crop, double focus);

// The width x height part of `picture` (at least that large) whose centre comes as close to
// `focus` as the picture's edges allow.
RgbImage CropAround(const RgbImage& picture, int width, int height, FocalPoint focus);

// Where `focus` of `picture` lies in CropAround's result, as fractions of that result.
FocalPoint FocusInCrop(Size picture, int width, int height, FocalPoint focus);
// The other way: the point of `picture` that lies at `inCrop` of the width x height crop made
// around `focus`; where a click on a filled slide puts the focal point.
FocalPoint PointOfCrop(Size picture, int width, int height, FocalPoint focus, FocalPoint inCrop);

}  // namespace lumivex::image
