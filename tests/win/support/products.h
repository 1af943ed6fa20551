// What the tests know of the two products.
#pragma once

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

// Names each instance of a test run once per product after its product
// ("Products/DiscTest.X/Q3"); the parameter is a const Product*.
struct NameOfProduct {
    template <class ParamInfo>
    std::string operator()(const ParamInfo& info) const
    {
        return info.param->name;
    }
};
