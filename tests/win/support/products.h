// What the tests know of the two products.
#pragma once

#include <gtest/gtest.h>

#include <string>

struct Product {
    const char* name;         // also the program's file name without .EXE
    const char* exe;          // "Q3.EXE"
    const char* keyPath;      // under HKEY_USERS
    const char* title;        // string 1, code page 932
    const char* installPath;  // string 2
    const char* description;  // the version block's FileDescription
};

extern const Product kQ3;
extern const Product kKrn;

// The base of the tests that run once per product; RUN_ONCE_PER_PRODUCT
// instantiates a suite of them, each instance named after its product
// ("Products/DiscTest.X/Q3").
class ProductTest : public ::testing::TestWithParam<const Product*> {
protected:
    const Product& product() const { return *GetParam(); }
};

#define RUN_ONCE_PER_PRODUCT(suite)                      \
    INSTANTIATE_TEST_SUITE_P(                            \
        Products, suite, ::testing::Values(&kQ3, &kKrn), \
        [](const ::testing::TestParamInfo<const Product*>& info) { return std::string(info.param->name); })
