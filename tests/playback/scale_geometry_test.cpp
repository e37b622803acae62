#include "playback/scale_geometry.h"

#include <gtest/gtest.h>

namespace playback {
namespace {

TEST(ScaleGeometry, LetterboxesByPixelAspect) {
  const Rect client{0, 0, 640, 480};
  const Rect picture{0, 0, 720, 480};
  SourceGeometry wide;
  wide.aspectNumerator = 32;
  wide.aspectDenominator = 27;
  EXPECT_EQ(FitToAspect(client, picture, wide), (Rect{0, 60, 640, 420}));
  EXPECT_EQ(FitToAspect(client, picture, SourceGeometry{}), (Rect{0, 27, 640, 453}));
}

TEST(ScaleGeometry, PillarboxesANarrowPictureAndKeepsAnEqualShape) {
  EXPECT_EQ(FitToAspect({0, 0, 800, 300}, {0, 0, 400, 300}, SourceGeometry{}), (Rect{200, 0, 600, 300}));
  EXPECT_EQ(FitToAspect({10, 20, 330, 260}, {0, 0, 640, 480}, SourceGeometry{}), (Rect{10, 20, 330, 260}));
  // A file's absurd aspect leaves the rectangle as it is rather than dividing by zero.
  SourceGeometry broken;
  broken.aspectDenominator = 0;
  EXPECT_EQ(FitToAspect({0, 0, 640, 480}, {0, 0, 720, 480}, broken), (Rect{0, 0, 640, 480}));
}

TEST(ScaleGeometry, CropCutsEveryEdge) {
  SourceGeometry crop;
  crop.cropTop = 8;
  crop.cropBottom = 4;
  crop.cropLeft = 2;
  crop.cropRight = 6;
  EXPECT_EQ(CropSource({0, 0, 720, 576}, crop), (Rect{2, 8, 714, 572}));
}

TEST(ScaleGeometry, NoResizerCentresAndCutsALargerPicture) {
  Rect d{0, 0, 640, 480};
  Rect s{0, 0, 1920, 1080};
  CentreAndCut(&d, &s);
  EXPECT_EQ(d, (Rect{0, 0, 640, 480}));
  EXPECT_EQ(s, (Rect{640, 300, 1280, 780}));
}

TEST(ScaleGeometry, NoResizerCentresASmallerPictureAtOneToOne) {
  Rect d{0, 0, 640, 480};
  Rect s{0, 0, 320, 240};
  CentreAndCut(&d, &s);
  EXPECT_EQ(d, (Rect{160, 120, 480, 360}));
  EXPECT_EQ(s, (Rect{0, 0, 320, 240}));
}

TEST(ScaleGeometry, ClippingToTheSurfaceShrinksTheSourceInProportion) {
  Rect d{-100, 0, 300, 200};
  Rect s{0, 0, 800, 400};
  ClipToSurface(&d, &s, 200, 100);
  EXPECT_EQ(d, (Rect{0, 0, 200, 100}));
  EXPECT_EQ(s, (Rect{200, 0, 600, 200}));

  Rect origin{-50, -20, 150, 80};
  Rect source{0, 0, 400, 200};
  ClipDestinationOrigin(&origin, &source);
  EXPECT_EQ(origin, (Rect{0, 0, 150, 80}));
  EXPECT_EQ(source, (Rect{100, 40, 400, 200}));
}

TEST(ScaleGeometry, BlackBarsCoverWhatThePictureLeaves) {
  const Rect client{0, 0, 640, 480};
  const auto letterbox = BlackBars(client, {0, 60, 640, 420});
  EXPECT_EQ(letterbox[0], (Rect{0, 0, 640, 60}));
  EXPECT_EQ(letterbox[1], (Rect{0, 420, 640, 480}));
  EXPECT_TRUE(letterbox[2].IsEmpty() && letterbox[3].IsEmpty());

  const auto pillarbox = BlackBars(client, {80, 0, 560, 480});
  EXPECT_EQ(pillarbox[0], (Rect{0, 0, 80, 480}));
  EXPECT_EQ(pillarbox[1], (Rect{560, 0, 640, 480}));

  const auto centred = BlackBars(client, {160, 120, 480, 360});
  EXPECT_EQ(centred[0], (Rect{0, 0, 640, 120}));
  EXPECT_EQ(centred[1], (Rect{0, 360, 640, 480}));
  EXPECT_EQ(centred[2], (Rect{0, 120, 160, 360}));
  EXPECT_EQ(centred[3], (Rect{480, 120, 640, 360}));

  for (const Rect& bar : BlackBars(client, client)) EXPECT_TRUE(bar.IsEmpty());
}

}  // namespace
}  // namespace playback
