#include "texts/Texts.h"

namespace netpeek {

// Each language's table lives in a file of its own; a third language adds its file and a line here.
extern const Language kRussian;
extern const Language kEnglish;

std::span<const Language* const> Languages() {
    static const Language* const all[] = {&kRussian, &kEnglish};
    return all;
}

}  // namespace netpeek
