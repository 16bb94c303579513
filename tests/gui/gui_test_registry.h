#pragma once
// The Qt Test classes of the window, registered by name so that one program runs them all or the
// one named on its command line (each is its own CTest test).

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvantis::testing {

struct TGuiTestEntry {
  std::string name;
  std::function<std::unique_ptr<QObject>()> make;
};

inline std::vector<TGuiTestEntry>& guiTests() {
  static std::vector<TGuiTestEntry> tests;
  return tests;
}

template <typename T>
struct TRegisterGuiTest {
  explicit TRegisterGuiTest(const char* name) {
    guiTests().push_back({name, [] { return std::make_unique<T>(); }});
  }
};

}  // namespace orvantis::testing

#define ORVANTIS_GUI_TEST(Class) \
  static const ::orvantis::testing::TRegisterGuiTest<Class> registered##Class(#Class)
