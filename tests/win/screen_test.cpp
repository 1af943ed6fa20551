// What the main window shows: the centred crop of the product's picture,
// pixel for pixel, through its own colours.
#include <gtest/gtest.h>

#include <cstdio>

#include "../../resources/ids.h"
#include "driver.h"
#include "support/files.h"
#include "support/launch.h"
#include "support/screen.h"

namespace {

class ScreenTest : public ProductTest {
protected:
    void SetUp() override
    {
        DeleteProductKey(product());
        disc_ = MakeDisc(product(), false);
        picture_ = ProgramPicture(disc_ + "\\" + product().exe);
        ASSERT_EQ(picture_.pixels.size(), 580u * 440u);
    }

    // Where the shown client area first differs from the crop, above the buttons.
    std::string CropMismatch(HWND main) const
    {
        RECT button;
        GetWindowRect(GetDlgItem(main, IDC_PLAY), &button);
        POINT buttonTop = {button.left, button.top};
        ScreenToClient(main, &buttonTop);
        const Capture shown = CaptureClient(main);
        // A bottom-up source origin: ys counts rows from the picture's bottom.
        const int xs = (picture_.width - shown.width) / 2, ys = (picture_.height - shown.height) / 2;
        const int top = picture_.height - ys - shown.height;
        for (int y = 0; y < buttonTop.y - 2; y += 3)
            for (int x = 0; x < shown.width; x += 3)
                if (shown.At(x, y) != picture_.At(xs + x, top + y)) {
                    char text[96];
                    snprintf(text, sizeof text, "(%d, %d): %06lx, wanted %06lx", x, y, (unsigned long)shown.At(x, y),
                             (unsigned long)picture_.At(xs + x, top + y));
                    return text;
                }
        return std::string();
    }

    std::string disc_;
    Picture picture_;
};

TEST_P(ScreenTest, PaintsTheCentredCropOfItsPicture)
{
    Launch run(product(), disc_);
    ASSERT_TRUE(run.ShowsMain());
    std::string mismatch;
    EXPECT_TRUE(WaitFor([&] { return (mismatch = CropMismatch(run.Main())).empty(); }, 5000)) << mismatch;
    EXPECT_TRUE(run.EndsQuietly(IDC_EXIT));
}

RUN_ONCE_PER_PRODUCT(ScreenTest);

}  // namespace
