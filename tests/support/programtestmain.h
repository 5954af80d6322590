#pragma once

// The main function of a test that drives the program as a person does: the program's own
// application object, which tells a person's commands from requests (header only, for tests
// that link the application library).
#include "application.h"

#include <QtTest>

#define KVL_PROGRAM_TEST_MAIN(TestObject)                                                       \
    QTEST_MAIN_WRAPPER(TestObject, QTEST_QAPP_SETUP(Application) QTEST_DISABLE_KEYPAD_NAVIGATION)
