// The widget test classes, run one class per test process: test_app_widgets <class> [args].
#pragma once

#include <QObject>
#include <memory>

namespace pw::test {

std::unique_ptr<QObject> Make_Boxes_Test();
std::unique_ptr<QObject> Make_Main_Window_Test();
std::unique_ptr<QObject> Make_Tabs_Keys_Feedback_Test();
std::unique_ptr<QObject> Make_Zoom_Test();
std::unique_ptr<QObject> Make_Follow_Test();

}  // namespace pw::test
