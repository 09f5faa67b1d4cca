#include "transitions/catalogue.h"

#include <array>
#include <utility>

#include "transitions/copies.h"
#include "transitions/region_styles.h"

namespace transitions {

namespace {

struct Row {
  int number;
  std::string_view name;
  Family family;
};

// The names keep the configuration's spellings ("Unven", "sqeeze", "apear")
// because they are shown to the user as they stand.
constexpr std::array<Row, kEffectCount> kRows = {{
    {1, "Expand from right", Family::Edge},
    {2, "Expand from left", Family::Edge},
    {3, "Slide in from right", Family::Edge},
    {4, "Slide in from left", Family::Edge},
    {5, "Reveal from left", Family::Edge},
    {6, "Reveal from right", Family::Edge},
    {7, "Expand in from right", Family::Edge},
    {8, "Expand in from left", Family::Edge},
    {9, "Expand in to middle", Family::Edge},
    {10, "Expand out from middle", Family::Edge},
    {11, "Reveal out from middle", Family::Edge},
    {12, "Reveal in from sides", Family::Edge},
    {13, "Expand in from sides", Family::Edge},
    {14, "Unroll from left", Family::Edge},
    {15, "Unroll from right", Family::Edge},
    {16, "Build up from right", Family::Edge},
    {17, "Build up from left", Family::Edge},
    {18, "Expand from bottom", Family::Edge},
    {19, "Expand from top", Family::Edge},
    {20, "Slide in from bottom", Family::Edge},
    {21, "Slide in from top", Family::Edge},
    {22, "Reveal from top", Family::Edge},
    {23, "Reveal from bottom", Family::Edge},
    {24, "Expand in from bottom", Family::Edge},
    {25, "Expand in from top", Family::Edge},
    {26, "Expand in to middle (horiz)", Family::Edge},
    {27, "Expand out from middle (horiz)", Family::Edge},
    {28, "Reveal from middle (horiz)", Family::Edge},
    {29, "Slide in from top / bottom", Family::Edge},
    {30, "Expand in from top / bottom", Family::Edge},
    {31, "Unroll from top", Family::Edge},
    {32, "Unroll from bottom", Family::Edge},
    {33, "Expand from bottom", Family::Edge},
    {34, "Expand in from top", Family::Edge},
    {35, "Expand from bottom right", Family::Corner},
    {36, "Expand from top right", Family::Corner},
    {37, "Expand from top left", Family::Corner},
    {38, "Expand from bottom left", Family::Corner},
    {39, "Slide in from bottom right", Family::Corner},
    {40, "Slide in from top right", Family::Corner},
    {41, "Slide in from top left", Family::Corner},
    {42, "Slide in from bottom left", Family::Corner},
    {43, "Reveal from top left", Family::Corner},
    {44, "Reveal from bottom left", Family::Corner},
    {45, "Reveal from bottom right", Family::Corner},
    {46, "Reveal from top right", Family::Corner},
    {47, "Appear and Contract to top left", Family::Corner},
    {48, "Appear and Contract to bottom left", Family::Corner},
    {49, "Appear and Contract to bottom right", Family::Corner},
    {50, "Appear and Contract to top right", Family::Corner},
    {51, "Appear and Contract to middle", Family::Corner},
    {52, "Expand out from centre", Family::Corner},
    {53, "Reveal out from centre", Family::Corner},
    {54, "Reveal in to centre", Family::Quarter},
    {55, "Quarters Reveal in to middle", Family::Quarter},
    {56, "Quarters Expand to middle", Family::Quarter},
    {57, "Quarters Slide in to middle", Family::Quarter},
    {58, "Curved Reveal from left", Family::Curved},
    {59, "Curved Reveal from right", Family::Curved},
    {60, "Bars in from right", Family::Bar},
    {61, "Bars in from left", Family::Bar},
    {62, "Bars left then right", Family::Bar},
    {63, "Bars right then left", Family::Bar},
    {64, "Bars from both sides", Family::Bar},
    {65, "Uneven shred from right", Family::Shred},
    {66, "Uneven shred from left", Family::Shred},
    {67, "Uneven shred out from middle (horiz)", Family::Shred},
    {68, "Uneven shred in to middle (horiz)", Family::Shred},
    {69, "Curved Reveal from top", Family::Curved},
    {70, "Curved Reveal from bottom", Family::Curved},
    {71, "Bars from bottom", Family::Bar},
    {72, "Bars from top", Family::Bar},
    {73, "Bars top then bottom", Family::Bar},
    {74, "Bars bottom then top", Family::Bar},
    {75, "Bars from top and bottom", Family::Bar},
    {76, "Unven shred from bottom", Family::Shred},
    {77, "Uneven shred from top", Family::Shred},
    {78, "Uneven shred from horizon", Family::Shred},
    {79, "Uneven shred in to horizon", Family::Shred},
    {80, "Curved reveal from top left", Family::Curved},
    {81, "Curved reveal from top right", Family::Curved},
    {82, "Curved reveal from bottom left", Family::Curved},
    {83, "Curved reveal from bottom right", Family::Curved},
    {84, "Circular reveal from centre", Family::Curved},
    {85, "Circular reveal to centre", Family::Curved},
    {86, "Criss Cross reveal from bottom right", Family::Bar},
    {87, "Criss Cross reveal from top right", Family::Bar},
    {88, "Criss Cross reveal from bottom left", Family::Bar},
    {89, "Criss Cross reveal from top left", Family::Bar},
    {90, "Criss Cross reveal bounce from top left", Family::Bar},
    {91, "Criss Cross reveal bounce from bottom left", Family::Bar},
    {92, "Criss Cross reveal bounce from top right", Family::Bar},
    {93, "Criss Cross reveal bounce from bottom right", Family::Bar},
    {94, "Criss Cross reveal from right top and bottom", Family::Bar},
    {95, "Criss Cross reveal from left top and bottom", Family::Bar},
    {96, "Criss Cross reveal from left right and bottom", Family::Bar},
    {97, "Criss Cross reveal from left right and top", Family::Bar},
    {98, "Criss Cross reveal from top left right and bottom", Family::Bar},
    {99, "Criss Cross reveal from bottom left top right", Family::Bar},
    {100, "Uneven shred from bottom and right", Family::Shred},
    {101, "Uneven shred from top and right", Family::Shred},
    {102, "Uneven shred from bottom and left", Family::Shred},
    {103, "Uneven shred from top and left", Family::Shred},
    {104, "Uneven shred from horiz and right", Family::Shred},
    {105, "Uneven shred from horiz and left", Family::Shred},
    {106, "Uneven shred from bottom and vert middle", Family::Shred},
    {107, "Uneven shred from top and vert middle", Family::Shred},
    {108, "Uneven shred from centre", Family::Shred},
    {109, "Uneven shred to centre", Family::Shred},
    {110, "Reveal diagonal from top left", Family::Curved},
    {111, "Reveal diagonal from top right", Family::Curved},
    {112, "Reveal diagonal from bottom left", Family::Curved},
    {113, "Reveal diagonal from bottom right", Family::Curved},
    {114, "Diagonal sweep from top left bottom right anticlockwise", Family::Curved},
    {115, "Diagonal sweep from top left bottom right clockwise", Family::Curved},
    {116, "Starburst clockwise from center", Family::Curved},
    {117, "Triangular shred to top left", Family::Curved},
    {118, "Fade", Family::Fade},
    {119, "Pivot from top left", Family::Pivot},
    {120, "Pivot from bottom left", Family::Pivot},
    {121, "Pivot from top right", Family::Pivot},
    {122, "Pivot from bottom right", Family::Pivot},
    {123, "Speckle appear from right", Family::Shred},
    {124, "Speckle appear from left", Family::Shred},
    {125, "Speckle appear from bottom", Family::Shred},
    {126, "Speckle appear from top", Family::Shred},
    {127, "Random squares appear", Family::Shred},
    {128, "Push right", Family::Push},
    {129, "Push left", Family::Push},
    {130, "Push and squeeze right", Family::Push},
    {131, "Push and squeeze left", Family::Push},
    {132, "Push down", Family::Push},
    {133, "Push up", Family::Push},
    {134, "Push and sqeeze down", Family::Push},
    {135, "Push and sqeeze up", Family::Push},
    {136, "Blind vertically", Family::Blind},
    {137, "Blind horizontally", Family::Blind},
    {138, "Uneven blind from left", Family::Blind},
    {139, "Uneven blind from right", Family::Blind},
    {140, "Uneven blind from top", Family::Blind},
    {141, "Uneven blind from bottom", Family::Blind},
    {142, "Rectangular shred", Family::Blind},
    {143, "Sweep clockwise", Family::Blind},
    {144, "Sweep anticlockwise", Family::Blind},
    {145, "Rectangles apear from left and disapear to right", Family::Blind},
    {146, "Rectangles apear from right and disapear to left", Family::Blind},
    {147, "Rectangles apear from up and disapear to bottom", Family::Blind},
    {148, "Rectangles apear from bottom and disapear to up", Family::Blind},
    {149, "Rotational rectangle", Family::Blind},
    {150, "Rotational star", Family::Blind},
}};

// The routine of style N follows from its family.
template <int N>
constexpr EffectProc procOf() {
  constexpr Family f = kRows[N - 1].family;
  if constexpr (drawsCopies(f))
    return rectangleStyle<N>;
  else if constexpr (f == Family::Push)
    return pushStyle<N>;
  else if constexpr (f == Family::Pivot)
    return pivotStyle<N>;
  else if constexpr (f == Family::Fade)
    return fadeStyle;
  else
    return regionStyle<N>;
}

template <size_t... I>
constexpr std::array<Effect, kEffectCount> build(std::index_sequence<I...>) {
  return {{Effect{kRows[I].number, kRows[I].name, kRows[I].family, kindOf(kRows[I].family),
                  procOf<int(I) + 1>()}...}};
}

constexpr std::array<Effect, kEffectCount> kEffects =
    build(std::make_index_sequence<kEffectCount>());

static_assert(
    [] {
      for (int i = 0; i < kEffectCount; ++i)
        if (kRows[size_t(i)].number != i + 1) return false;
      return true;
    }(),
    "entry n sits at index n - 1");

}  // namespace

std::span<const Effect, kEffectCount> effects() {
  return kEffects;
}

const Effect *effectFor(int n) {
  if (n < 1 || n > kEffectCount) return nullptr;
  return &kEffects[size_t(n - 1)];
}

FramePaint framePaint(int n) {
  if (n == 0) return FramePaint::AtOnce;
  const Effect *e = effectFor(n);
  if (!e || e->family == Family::Push || e->family == Family::Blind) return FramePaint::WhenIdle;
  return FramePaint::AtOnce;
}

bool drawsCopies(int n) {
  const Effect *e = effectFor(n);
  return e && drawsCopies(e->family);
}

}  // namespace transitions
