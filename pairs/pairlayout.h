#pragma once

#include "core/catalogue.h"

#include <QString>

namespace mensurio {

// What differs between the pair windows' layouts, in twips.
struct PairLayout {
    int fieldsLeft;
    int fieldsWidth;
    int panelLeft;
    int panelTop;
    int directionTop; // of the direction selector, "Parts"
};

struct CategoryLayout {
    const char* picture; // resource file of the category picture
    int pictureLeft, pictureTop, pictureSize;
};

const PairLayout& pairLayout(PairId id);
const CategoryLayout& categoryLayout(Category category);

} // namespace mensurio
