#include "texts/Language.h"

namespace netpeek {

namespace {

constexpr TextEntry kTexts[] = {
    // ---- The window ----
    {TextId::ErrorNumber, L"Error %1: "},
    {TextId::NoReasonGiven, L"Windows gave no reason."},
    // (the window's texts end here)

    // ---- The console twin ----
    {TextId::UnknownArgument, L"Unknown command-line argument: «%1». For the list of switches: Netpeek.exe /?"},
    // (the console's texts end here)
};
static_assert(HoldsEveryText(kTexts), "every text, once, in the identifiers' order");

}  // namespace


extern const Language kEnglish{L"en", L"English", L"ReadMe.en.txt", kTexts};

}  // namespace netpeek
