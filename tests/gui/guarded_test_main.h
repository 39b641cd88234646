#pragma once
// QTEST_MAIN with the program's own application object, so that the tests
// run under the same last net for exceptions as `korvan`.

#include "model/gui/event_guard.h"

#include <QTest>

#define KORVAN_GUI_TEST_MAIN(TestObject)                                                           \
    int main(int argc, char** argv) {                                                              \
        korvan::gui::GuardedApplication app(argc, argv);                                           \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
