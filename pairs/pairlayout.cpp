#include "pairs/pairlayout.h"

#include <array>

namespace mensurio {

namespace {

// Indexed by PairId. The fields start right of the longer unit label and end near the
// panel's right edge; the panel's small negative offset hides its outline.
// clang-format off
constexpr std::array<PairLayout, pairCount> pairRows{{
    {990, 4065, -90, -90, 1140},    // Weight1
    {780, 4275, -120, -90, 1140},   // Weight2
    {780, 4275, -90, -120, 1140},   // Weight3
    {1110, 3975, -120, -120, 1110}, // Weight4
    {900, 4155, -60, -90, 1140},    // Weight5
    {990, 4065, -60, -90, 1140},    // Length1
    {810, 4245, -60, -90, 1140},    // Length2
    {780, 4305, -60, -90, 1140},    // Length3
    {1110, 3945, -60, -90, 1140},   // Length4
    {1110, 3945, -60, -90, 1140},   // Length5
    {1350, 3735, -90, -90, 1140},   // Area1
    {1170, 3855, -60, -90, 1140},   // Area2
    {1350, 3735, -60, -90, 1140},   // Area3
    {1170, 3885, -60, -90, 1140},   // Area4
    {960, 4095, -90, -90, 1140},    // Area5
    {1110, 3945, -90, -90, 1140},   // Volume1
    {1170, 3885, -90, -120, 1140},  // Volume2
    {1170, 3885, -90, -90, 1140},   // Volume3
    {750, 4305, -90, -90, 1140},    // Volume4
    {1140, 3915, -60, -90, 1140},   // Temp1
    {1140, 3915, -60, -90, 1140},   // Temp2
    {840, 4215, -120, -90, 1140},   // Temp3
}};
// clang-format on

// Indexed by Category.
// clang-format off
constexpr std::array<CategoryLayout, 5> categoryRows{{
    {"weight.gif", 210, 300, 600},
    {"length.gif", 210, 270, 660},
    {"area.gif", 240, 330, 525},
    {"temperature.gif", 240, 300, 600},
    {"volume.gif", 300, 240, 720},
}};
// clang-format on

} // namespace

const PairLayout& pairLayout(PairId id) { return pairRows[static_cast<std::size_t>(id)]; }

const CategoryLayout& categoryLayout(Category category)
{
    return categoryRows[static_cast<std::size_t>(category)];
}

} // namespace mensurio
