#pragma once
// What the result viewer needs from the main window that opened it.

#include <QString>
#include <ostream>

#include "gui/user_dialogs.h"
#include "gui/viewer_state.h"
#include "world/output/image.h"

namespace orvantis {

class World;

// The map viewer windows of the main window, one per kind of map.
enum class TMapViewerSlot { CarryingCapacity, Friction, ArrivalTime, Coalescences, Mrca };

class TResultViewerHost {
 public:
  virtual ~TResultViewerHost() = default;

  virtual World& world() = 0;
  virtual std::ostream& log() = 0;
  virtual TUserDialogs& dialogs() = 0;
  virtual TViewerState& viewerState() = 0;
  // While the core works on the world (and lets the window process events), the world may change
  // under the viewer: it draws nothing then.
  virtual bool worldInUse() const = 0;
  // A click on the map: the cell becomes the main window's selected cell, whose time series the
  // main window shows.
  virtual void selectCell(int row, int col) = 0;
  // Shows a picture in the map viewer of that kind under the title.
  virtual void showMap(TMapViewerSlot slot, const QString& title, TRgbImage image) = 0;
  // The viewer is closing: the main window forgets it.
  virtual void resultViewerClosed() = 0;
};

}  // namespace orvantis
