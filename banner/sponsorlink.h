#pragma once

// The page of the maker's site that a click on a banner opens in the default browser.
inline constexpr char kSponsorLink[] = "https://www.tavorink.com/sponsor?Ref=TrailscribeFreeware";
