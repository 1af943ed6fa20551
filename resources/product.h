// The one constant a product compiles in beside its resources: the install
// record's key under HKEY_USERS. Each product folder defines it.
#pragma once

extern const char InstallKeyPath[];
