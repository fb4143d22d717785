#pragma once

#include "view/HtmlView.h"

#include <QApplication>
#include <QtTest>

#include <functional>
#include <memory>

// Runs a test that shows the reader's view, in place of QTEST_MAIN: the engine must know the
// reader's schemes before the application object exists. `beforeApplication` adds what else
// the test registers at that point; `makeTest` makes the test object once the application runs.
inline int runWebViewTest(int argc, char *argv[], const std::function<std::unique_ptr<QObject>()> &makeTest,
                          const std::function<void()> &beforeApplication = {})
{
    HtmlView::registerScheme();
    if (beforeApplication)
        beforeApplication();
    QApplication app(argc, argv);
    const std::unique_ptr<QObject> test = makeTest();
    return QTest::qExec(test.get(), argc, argv);
}

// The main() of a test of the reader's view whose test object needs nothing but itself.
#define ZR_WEB_VIEW_TEST_MAIN(TestObject)                                                    \
    int main(int argc, char *argv[])                                                         \
    {                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                           \
        return runWebViewTest(argc, argv, [] { return std::make_unique<TestObject>(); });    \
    }
