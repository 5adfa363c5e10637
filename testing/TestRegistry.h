// Several QtTest classes in one test executable: each test file registers
// its class with TESSARON_TEST(Class) instead of QTEST_MAIN, and the shared
// main runs them all (or those named in TESSARON_TEST_CLASSES, comma-separated).
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace testing {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

struct TestEntry {
    const char *name;
    TestFactory factory;
};

std::vector<TestEntry> &registry();

struct TestRegistrar {
    TestRegistrar(const char *name, TestFactory factory) { registry().push_back({name, std::move(factory)}); }
};

} // namespace testing

#define TESSARON_TEST(Class)                                                                                 \
    static testing::TestRegistrar registrar_##Class(#Class, [] { return std::unique_ptr<QObject>(new Class); });
