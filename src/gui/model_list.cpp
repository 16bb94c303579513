#include "gui/model_list.h"

namespace orvantis {

namespace {

constexpr TModelItem kOnePopulation[] = {
    {1, "1. One population with even number of migrants"},
    {2, "2. One population with absolute number of migrants"},
    {3, "3. One population with stochastic number of migrants"},
    {14, "4. One population with LDD"},
    {15, "5. One population with LDD only on empty demes"},
    {55, "6. One population with LDD only on occupied demes"},
};

constexpr TModelItem kTwoPopulations[] = {
    {21, "7. Two populations with assimilation, no competition"},
    {22, "8. Two populations with assimilation, competition density-dependant"},
    {23, "9. Two populations with assimilation, competition density-independant"},
    {24, "10. Two populations with hybridization, no competition"},
    {25, "11. Two populations with hybridization, competition density-dependant"},
    {26, "12. Two populations with hybridization, competition density-independant"},
};

}  // namespace

std::span<const TModelItem> modelItems(int populations) {
  if (populations >= 2) return kTwoPopulations;
  return kOnePopulation;
}

int modelIndexOf(int populations, long id) {
  const auto items = modelItems(populations);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

int modelIdAt(int populations, int index) {
  const auto items = modelItems(populations);
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return 0;
  return items[static_cast<std::size_t>(index)].id;
}

}  // namespace orvantis
