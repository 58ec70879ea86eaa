#include "texts/Language.h"

namespace netpeek {

namespace {

constexpr TextEntry kTexts[] = {
    // ---- The window ----
    {TextId::ErrorNumber, L"Ошибка %1: "},
    {TextId::NoReasonGiven, L"Windows не сообщила причину."},
    // (the window's texts end here)

    // ---- The console twin ----
    {TextId::UnknownArgument, L"Непонятный аргумент командной строки: «%1». Список ключей: Netpeek.exe /?"},
    // (the console's texts end here)
};
static_assert(HoldsEveryText(kTexts), "every text, once, in the identifiers' order");

}  // namespace


extern const Language kRussian{L"ru", L"Русский", L"ReadMe.txt", kTexts};

}  // namespace netpeek
