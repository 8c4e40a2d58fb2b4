// Pictures made of one input's images within a budget of work: each image
// decoded once however many groups name it, and no more pictures past the budget.
#include "platform/picture_work.h"

#include <gtest/gtest.h>

#include "platform/image_choice.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

TEST(PictureWork, AnImageManyGroupsNameIsDecodedAndBroughtToASizeOnce) {
    const Bytes file = makeSharedGroupPe(40, 1, dibImage(alphaPatternIcon(48, 48), 32));
    auto set = IconSet::read(ByteSource(file));
    ASSERT_TRUE(set) << why(set);
    PictureWork work;
    const Result<Icon> plain = iconAtSize(*set, 0, 32);
    ASSERT_TRUE(plain) << why(plain);
    const Result<Icon> first = iconAtSize(*set, 0, 32, SizePolicy::LikeWindows, &work);
    ASSERT_TRUE(first) << why(first);
    const std::uint64_t afterFirst = work.pixelsCounted();
    for (int g = 1; g < 40; ++g) {
        const Result<Icon> again = iconAtSize(*set, g, 32, SizePolicy::LikeWindows, &work);
        ASSERT_TRUE(again) << why(again);
        EXPECT_EQ(again->color, plain->color) << g;
        EXPECT_EQ(again->mask, plain->mask) << g;
    }
    // The first picture cost the decoding and the resizing; each later one is
    // handed out as made: its own pixels alone.
    EXPECT_GT(afterFirst, 48u * 48 + 32 * 32);
    EXPECT_EQ(work.pixelsCounted(), afterFirst + 39u * 32 * 32);
    // At its own size, the same.
    const Result<Icon> own =
        chosenImage(*set, ResourceKind::Icon, 3, 48, SizePolicy::SmallestAtLeast, &work);
    ASSERT_TRUE(own) << why(own);
    EXPECT_EQ(own->width, 48);
}

TEST(PictureWork, PastTheBudgetNoPictureIsMadeAndTheFailureNamesIt) {
    const Bytes file = makeSharedGroupPe(10, 1);  // one 32 x 32 image
    auto set = IconSet::read(ByteSource(file));
    ASSERT_TRUE(set) << why(set);
    PictureWork work(3000000, "of one input");
    int made = 0;
    Result<Icon> last = failure(Fault::NoImage);
    for (int g = 0; g < 10 && (last = iconAtSize(*set, g, 1024, SizePolicy::LikeWindows, &work));
         ++g)
        ++made;
    // Each picture of 1024 x 1024 counts a million pixels.
    EXPECT_EQ(made, 2);
    EXPECT_TRUE(work.spent());
    ASSERT_FALSE(last);
    EXPECT_EQ(last.failure().cap, Cap::PixelsPerInput);
    EXPECT_EQ(last.failure().message(),
              "stopped at a limit: 3 million pixels decoded and made of one input");
    EXPECT_FALSE(chosenImage(*set, ResourceKind::Icon, 0, 32, SizePolicy::LikeWindows, &work));
}

// Images that do not decode count what their headers state: a group of many
// large images that all fail late cannot make the decoder work without end.
TEST(PictureWork, ImagesThatFailCountWhatTheyState) {
    IconImage cut = pngImage(patternIcon(512, 512));
    cut.data.resize(cut.data.size() - 40);  // the last of the data and the end cut off
    const std::vector<IconImage> images(20, cut);
    const Bytes file = makeIco(images);
    auto set = IconSet::read(ByteSource(file));
    ASSERT_TRUE(set) << why(set);
    PictureWork work(2000000, "for one thumbnail");
    const Result<Icon> none =
        chosenImage(*set, ResourceKind::Icon, 0, 256, SizePolicy::SmallestAtLeast, &work);
    ASSERT_FALSE(none);
    EXPECT_EQ(none.failure().cap, Cap::PixelsPerInput) << none.failure().message();
    // Eight images of a quarter million pixels each were tried.
    EXPECT_EQ(work.pixelsCounted(), 8u * 512 * 512);
    EXPECT_EQ(pixelBudgetOf(1000), kMinPixelBudget);
    EXPECT_EQ(pixelBudgetOf(100000000), 100000000 * kPixelBudgetPerByte);
}

}  // namespace
}  // namespace pellimar
