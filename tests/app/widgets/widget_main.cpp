// Runs one widget test class, named by the first argument, under the program's own
// application object (the one that catches exceptions leaving event handlers).
#include <QTest>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/pw_app.h"
#include "widgets/widget_tests.h"

int main(int argc, char** argv) {
  pw::TApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: %s Boxes|Main_Window|Tabs_Keys_Feedback|Zoom|Follow [Qt Test options]\n",
                 argv[0]);
    return 2;
  }
  std::unique_ptr<QObject> test;
  if (std::strcmp(argv[1], "Boxes") == 0) test = pw::test::Make_Boxes_Test();
  if (std::strcmp(argv[1], "Main_Window") == 0) test = pw::test::Make_Main_Window_Test();
  if (std::strcmp(argv[1], "Tabs_Keys_Feedback") == 0) {
    test = pw::test::Make_Tabs_Keys_Feedback_Test();
  }
  if (std::strcmp(argv[1], "Zoom") == 0) test = pw::test::Make_Zoom_Test();
  if (std::strcmp(argv[1], "Follow") == 0) test = pw::test::Make_Follow_Test();
  if (!test) {
    std::fprintf(stderr, "no test class %s\n", argv[1]);
    return 2;
  }
  std::vector<char*> rest{argv[0]};
  for (int i = 2; i < argc; ++i) rest.push_back(argv[i]);
  return QTest::qExec(test.get(), static_cast<int>(rest.size()), rest.data());
}
