// Runs the window's Qt Test classes on the offscreen platform: all of them, or the one whose name
// is the first argument (the other arguments go to Qt Test).

#include <QApplication>
#include <QTest>
#include <cstring>
#include <iostream>

#include "gui_test_registry.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName("ORVANTIS 3.0");
  const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
  // Qt Test sees the program name and the options after the class name.
  std::vector<char*> args{argv[0]};
  for (int i = only ? 2 : 1; i < argc; ++i) args.push_back(argv[i]);
  int failed = 0;
  bool ran = false;
  for (const auto& entry : orvantis::testing::guiTests()) {
    if (only && entry.name != only) continue;
    ran = true;
    const auto test = entry.make();
    failed += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
  }
  if (!ran) {
    std::cerr << "No test class named " << (only ? only : "") << std::endl;
    return 2;
  }
  return failed == 0 ? 0 : 1;
}
