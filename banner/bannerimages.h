#pragma once

// The three banner images, 468 x 60 one-frame GIFs drawn by scripts/make-banner-images, named
// after the pictures that show them.
inline constexpr char kBannerPicture1Image[] = ":/banner/images/bannerpicture1.gif";
inline constexpr char kBannerPicture2Image[] = ":/banner/images/bannerpicture2.gif";
inline constexpr char kBannerPicture4Image[] = ":/banner/images/bannerpicture4.gif";

// Makes the images of the static ts_banner library reachable under :/banner. Loading a picture
// from a resource calls it; calling it again does nothing.
void initBannerResources();
