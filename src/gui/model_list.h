#pragma once
// The items of the main window's model list: the label shown and the identifier stored under
// ChosenDemographicModel, six for one population and six for two.

#include <span>

namespace orvantis {

struct TModelItem {
  int id;
  const char* label;
};

// The six items for one population (identifiers 1, 2, 3, 14, 15, 55) or for two (21 to 26).
std::span<const TModelItem> modelItems(int populations);
// Index of the item with that identifier, or -1 when the list has none.
int modelIndexOf(int populations, long id);
// Identifier of the item at that index; 0 when nothing (or no valid item) is selected.
int modelIdAt(int populations, int index);

}  // namespace orvantis
