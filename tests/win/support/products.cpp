#include "products.h"

const Product kQ3 = {"Q3",
                     "Q3.EXE",
                     ".Default\\Software\\TOVAK\\Q3",
                     "ＶＡＲＮＯ－Ｑ３の起動とインストール",
                     "\\Program Files\\Tovak\\Q3",
                     "VARNO-Q3の実行とインストール"};
const Product kKrn = {"KRN",
                      "KRN.EXE",
                      ".Default\\Software\\TOVAK\\KRN",
                      "ＶＡＲＮＯ－ＫＲＮの起動とインストール",
                      "\\Program Files\\Tovak\\KRN",
                      "ＶＡＲＮＯ－ＫＲＮの起動とインストール"};
