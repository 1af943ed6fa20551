#include "../product.h"

// The install record's key under HKEY_USERS.
extern const char InstallKeyPath[] = ".Default\\Software\\TOVAK\\KRN";
