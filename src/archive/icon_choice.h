// SetImage: the icon of a view line chosen by keywords of its text, over the 49-picture set of the
// configuration view (0 plain item ... 48 tape). The journal list and the module list use it as well.
#pragma once

#include <string>
#include <string_view>

namespace pelgo::archive {

// The two words of the journal types that choose icons by language: "Ремонт" (35) and "Модерн" (36),
// translated and upper-cased with the Cyrillic fold.
struct IconWords {
    std::string repair;
    std::string upgrade;
    // The words in the current language.
    static IconWords Translated();
};

int SetImage(std::string_view text, int defaultIcon, const IconWords& words);

} // namespace pelgo::archive
