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

class ScreenTest : public ::testing::TestWithParam<const Product*> {
protected:
    void SetUp() override
    {
        DeleteProductKey(product());
        disc_ = MakeDisc(product(), false);
        program_ = disc_ + "\\" + product().exe;
        picture_ = ProgramPicture(program_);
        ASSERT_EQ(picture_.pixels.size(), 580u * 440u);
    }
    const Product& product() const { return *GetParam(); }

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

    std::string disc_, program_;
    Picture picture_;
};

TEST_P(ScreenTest, PaintsTheCentredCropOfItsPicture)
{
    Launch run(program_, disc_);
    HWND main = run.Driver().WaitForDialog(IDC_PLAY);
    ASSERT_TRUE(main);
    std::string mismatch;
    EXPECT_TRUE(WaitFor([&] { return (mismatch = CropMismatch(main)).empty(); }, 5000)) << mismatch;
    Click(main, IDC_EXIT);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Products, ScreenTest, ::testing::Values(&kQ3, &kKrn), NameOfProduct());

}  // namespace
