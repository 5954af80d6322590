#pragma once

// The main function of a test that drives the program as a person does: the program's own
// application object, which tells a person's commands from requests (header only, for tests
// that link the application library).
#include "application.h"
#include "screenconfig.h"

#include <QtTest>

#define KVL_PROGRAM_TEST_MAIN(TestObject)                                                          \
    QTEST_MAIN_WRAPPER(TestObject, QTEST_QAPP_SETUP(Application) QTEST_DISABLE_KEYPAD_NAVIGATION)

// The same on an offscreen screen of width x height, chosen before the application exists.
#define KVL_PROGRAM_TEST_MAIN_ON_SCREEN(TestObject, width, height)                                 \
    QTEST_MAIN_WRAPPER(TestObject, if (!ScreenConfig::use(QRect(0, 0, width, height))) return 2;   \
                       QTEST_QAPP_SETUP(Application) QTEST_DISABLE_KEYPAD_NAVIGATION)
