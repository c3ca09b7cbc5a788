// The pictures as character maps. Every glyph map is 16 x 16; '.' is transparent and every other
// character is a colour of the palette beside it. Edit a picture by editing its map.
#include "app/icons.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace orvane::app {
namespace {

// The maps and palettes are laid out as pictures, one row a line.
// clang-format off

// Colours of the glyphs and of the board picture.
constexpr PaletteEntry kPalette[] = {
    {'K', 0x000000}, {'k', 0x404040}, {'h', 0x5B5B5B}, {'g', 0x808080}, {'G', 0xC0C0C0},
    {'w', 0xE6E6E6}, {'W', 0xFFFFFF},                                    // greys
    {'Y', 0xFFD84A}, {'y', 0xE0A820}, {'o', 0x8A5A0A},                   // folder yellow
    {'N', 0x3CB043}, {'n', 0x1E6E23}, {'l', 0x9BE49F},                   // green
    {'B', 0x3A7BD5}, {'b', 0x1B3F7A}, {'c', 0xA9CCF5},                   // blue
    {'R', 0xE53935}, {'r', 0x8E1B1B}, {'p', 0xFF9A8A},                   // red
    {'T', 0xB07238}, {'t', 0x6B4220}, {'S', 0xD4AF37}, {'O', 0xF39C12},  // wood, gold, orange
    {'P', 0x2E7D4F}, {'Q', 0x1F5A38}, {'L', 0x3C9A62},                   // circuit board
    {'v', 0x7E57C2}, {'V', 0x4A2C8A},                                    // violet
};

// The 16 standard colours, keyed by their classic numbers 0-9, A-F; the window icon uses only these.
constexpr PaletteEntry kStandardPalette[] = {
    {'0', 0x000000}, {'1', 0x000080}, {'2', 0x008000}, {'3', 0x008080},
    {'4', 0x800000}, {'5', 0x800080}, {'6', 0x808000}, {'7', 0xC0C0C0},
    {'8', 0x808080}, {'9', 0xFF0000}, {'A', 0x00FF00}, {'B', 0x00FFFF},
    {'C', 0x0000FF}, {'D', 0xFF00FF}, {'E', 0xFFFF00}, {'F', 0xFFFFFF},
};

// 0 open and download: an open folder with a green arrow into it
constexpr std::string_view kImage0[] = {
    "..........nnn...",
    "..........nNn...",
    "..........nNn...",
    "........nnnNnnn.",
    ".........nNNNn..",
    "..........nNn...",
    ".oooo......n....",
    "oYYYYo..........",
    "oYyyyYooooooo...",
    "oyyyyyyyyyyyyo..",
    "oyyoooooooooooo.",
    "oyoYYYYYYYYYYYYo",
    "ooYYYYYYYYYYYYo.",
    "oYYYYYYYYYYYYo..",
    "ooooooooooooo...",
    "................",
};

// 1 folder
constexpr std::string_view kImage1[] = {
    "................",
    "................",
    ".ooooo..........",
    "oYYYYYo.........",
    "oYYYYYYoooooooo.",
    "oWWWWWWWWWWWWWWo",
    "oYYYYYYYYYYYYYyo",
    "oYYYYYYYYYYYYYyo",
    "oYYYYYYYYYYYYYyo",
    "oYYYYYYYYYYYYYyo",
    "oYYYYYYYYYYYYYyo",
    "oYYYYYYYYYYYYYyo",
    "oyyyyyyyyyyyyyyo",
    "oooooooooooooooo",
    "................",
    "................",
};

// 2 testing: a chip with a check mark
constexpr std::string_view kImage2[] = {
    "................",
    "..KKKKKKKKK.....",
    "GgKkGkkkkkKgG...",
    "..KkkkkkkkK.....",
    "GgKkkkkkkkKgG...",
    "..KkkkkkkkK.....",
    "GgKkkkkkkkKgG...",
    "..KkkkkkkkK.....",
    "GgKkkkkkkkKgG.nn",
    "..KKKKKKKKK..nNn",
    "............nNNn",
    ".......nn..nNNn.",
    ".......nNnnNNn..",
    ".......nNNNNn...",
    "........nNNn....",
    ".........nn.....",
};

// 3 recent files: a page with a clock
constexpr std::string_view kImage3[] = {
    "..KKKKKKK.......",
    "..KWWWWWKK......",
    "..KWggWWKwK.....",
    "..KWWWWWKKKK....",
    "..KWgggggWWK....",
    "..KWWWWWWWWK....",
    "..KWgggggWWK....",
    "..KWWWWWWbbbbb..",
    "..KWggggbWWWWWb.",
    "..KWWWWbWWWkWWWb",
    "..KKKKKbWWWkWWWb",
    ".......bWWWkkkWb",
    ".......bWWWWWWWb",
    ".......bWWWWWWWb",
    "........bWWWWWb.",
    ".........bbbbb..",
};

// 4 save: a diskette
constexpr std::string_view kImage4[] = {
    "................",
    "bbbbbbbbbbbbbb..",
    "bBBGGGGGGGGBBbb.",
    "bBBGWWWWWWGBBBb.",
    "bBBGWWWWWWGBBBb.",
    "bBBGGGGGGGGBBBb.",
    "bBBBBBBBBBBBBBb.",
    "bBBBBBBBBBBBBBb.",
    "bBBkkkkkkkkkBBb.",
    "bBBkGGGGGGGkBBb.",
    "bBBkGGgGGGGkBBb.",
    "bBBkGGgGGGGkBBb.",
    "bBBkGGGGGGGkBBb.",
    "bbbbbbbbbbbbbbb.",
    "................",
    "................",
};

// 5 serial connector
constexpr std::string_view kImage5[] = {
    "................",
    "................",
    "................",
    "................",
    "KKKKKKKKKKKKKKKK",
    "KGGGGGGGGGGGGGgK",
    "KGKKKKKKKKKKKGgK",
    "KGKSkSkSkSkSKGgK",
    ".KGKkkkkkkkKGgK.",
    ".KGKkSkSkSkKGgK.",
    "..KGKKKKKKKGgK..",
    "..KGGGGGGGGGgK..",
    "...KKKKKKKKKK...",
    "................",
    "................",
    "................",
};

// 6 exit: a door with an arrow out of it
constexpr std::string_view kImage6[] = {
    "..KKKKKKKKK.....",
    "..KtTTTTTTK.....",
    "..KtTTTTTTK.....",
    "..KtTTTTTTK.....",
    "..KtTTTTTTK.r...",
    "..KtTTTTTTK.rr..",
    "..KtTTTTrrrrrRr.",
    "..KtTTTTrRRRRRRr",
    "..KtTTTTrrrrrRr.",
    "..KtTTTTTTK.rr..",
    "..KtTTTTTTK.r...",
    "..KtTTTTTTK.....",
    "..KtTTTTTTK.....",
    "..KtTTTTTTK.....",
    "..KKKKKKKKK.....",
    "................",
};

// 7 settings: a gear
constexpr std::string_view kImage7[] = {
    "................",
    ".......KK.......",
    "...KK.KggK.KK...",
    "...KgKGGGGKgK...",
    "....KGGGGGGK....",
    "..KKGGGKKGGGKK..",
    ".KgGGGK..KGGGgK.",
    ".KgGGK....KGGgK.",
    "..KGGK....KGGK..",
    "..KKGGK..KGGKK..",
    "....KGGKKGGK....",
    "....KgGGGGgK....",
    "...KgKgggKKgK...",
    "...KK.KggK.KK...",
    ".......KK.......",
    "................",
};

// 8 help
constexpr std::string_view kImage8[] = {
    "................",
    ".....bbbbbb.....",
    "...bbBBBBBBbb...",
    "..bBBBWWWWBBBb..",
    "..bBBWWBBWWBBb..",
    ".bBBBBBBBWWBBBb.",
    ".bBBBBBBWWBBBBb.",
    ".bBBBBBWWBBBBBb.",
    ".bBBBBBWWBBBBBb.",
    ".bBBBBBBBBBBBBb.",
    "..bBBBBWWBBBBb..",
    "..bBBBBWWBBBBb..",
    "...bbBBBBBBbb...",
    ".....bbbbbb.....",
    "................",
    "................",
};

// 9 information
constexpr std::string_view kImage9[] = {
    "................",
    ".....bbbbbb.....",
    "...bbccccccbb...",
    "..bccccWWccccb..",
    "..bccccWWccccb..",
    ".bccccccccccccb.",
    ".bcccccWWWccccb.",
    ".bccccccWWccccb.",
    ".bccccccWWccccb.",
    ".bccccccWWccccb.",
    "..bcccccWWcccb..",
    "..bccccWWWWccb..",
    "...bbccccccbb...",
    ".....bbbbbb.....",
    "................",
    "................",
};

// 10 board
constexpr std::string_view kImage10[] = {
    "................",
    "................",
    "QQQQQQQQQQQQQQQQ",
    "QGPPPPPPPPPPPPGQ",
    "QPPKKKKKKKKPPPPQ",
    "QPPKkkkkkkKPRPPQ",
    "QPPKkkkkkkKPPPPQ",
    "QPPKKKKKKKKPRPPQ",
    "QPPPPPPPPPPPPPPQ",
    "QPSSPPGGGGPPRPPQ",
    "QPSSPPGGGGPPPPPQ",
    "QGPPPPPPPPPPPPGQ",
    "QQQQQQQQQQQQQQQQ",
    "................",
    "................",
    "................",
};

// 11 connect: a plug
constexpr std::string_view kImage11[] = {
    "................",
    "................",
    "...G..G.........",
    "...G..G.........",
    "..KKKKKKK.......",
    "..KGGGGGK.......",
    "..KGGGGGK.......",
    "..KGGGGGK.......",
    "...KGGGK........",
    "....KgK.........",
    "....KgK.........",
    "....KgKKKKKKKKK.",
    ".....KggggggggK.",
    "......KKKKKKKKK.",
    "................",
    "................",
};

// 12 disconnect: a broken link
constexpr std::string_view kImage12[] = {
    "................",
    "..KKKK..........",
    ".KGGGGK.........",
    ".KG..GK.........",
    ".KG..GK...r..r..",
    ".KGGGGK....rr...",
    "..KGGK.....rr...",
    "..KGGK....r..r..",
    "...KK...........",
    ".........KGGK...",
    ".........KGGK...",
    "........KGGGGK..",
    "........KG..GK..",
    "........KG..GK..",
    "........KGGGGK..",
    ".........KKKK...",
};

// 13 stop
constexpr std::string_view kImage13[] = {
    "................",
    ".....rrrrrr.....",
    "....rRRRRRRr....",
    "...rRRRRRRRRr...",
    "..rRRRRRRRRRRr..",
    ".rRRRRRRRRRRRRr.",
    ".rRWWWWWWWWWWRr.",
    ".rRWWWWWWWWWWRr.",
    ".rRRRRRRRRRRRRr.",
    ".rRRRRRRRRRRRRr.",
    "..rRRRRRRRRRRr..",
    "...rRRRRRRRRr...",
    "....rRRRRRRr....",
    ".....rrrrrr.....",
    "................",
    "................",
};

// 14 find: a magnifier
constexpr std::string_view kImage14[] = {
    "................",
    "....KKKKK.......",
    "...KcccccK......",
    "..KcWWcccck.....",
    "..KcWccccck.....",
    "..Kccccccck.....",
    "..Kccccccck.....",
    "...KcccccK......",
    "....KKKKKTt.....",
    ".........KTt....",
    "..........KTt...",
    "...........KTt..",
    "............KTK.",
    ".............K..",
    "................",
    "................",
};

// 15 power: a lightning bolt
constexpr std::string_view kImage15[] = {
    "................",
    ".......OOOOO....",
    "......OYYYYO....",
    "......OYYYO.....",
    ".....OYYYO......",
    ".....OYYYOOOO...",
    "....OYYYYYYYO...",
    "....OOOOYYYO....",
    ".......OYYO.....",
    "......OYYO......",
    "......OYO.......",
    ".....OYO........",
    ".....OO.........",
    "....O...........",
    "................",
    "................",
};

// 16 redownload: a circular arrow around a down arrow
constexpr std::string_view kImage16[] = {
    "........n.......",
    "....nnnnNn......",
    "...nNNNNNNn.....",
    "..nNNNNNNNNn....",
    "..nNNnnnNNn.....",
    ".nNNn...Nn......",
    ".nNn....n.......",
    ".nNn..bBBb......",
    ".nNn..bBBb..nNn.",
    ".nNn.bbBBbb.nNn.",
    ".nNN..bBBb..NNn.",
    "..NNn..bb..nNN..",
    "..nNNnn..nnNNn..",
    "...nNNNNNNNNn...",
    "....nnNNNNnn....",
    "................",
};

// the OK button: a check mark
constexpr std::string_view kOkGlyph[] = {
    "................",
    "................",
    "............nn..",
    "...........nNn..",
    "..........nNNn..",
    ".........nNNn...",
    "..nn....nNNn....",
    "..nNn..nNNn.....",
    "..nNNnnNNn......",
    "...nNNNNn.......",
    "....nNNn........",
    ".....nn.........",
    "................",
    "................",
    "................",
    "................",
};

// the serial terminal's Clear button: an eraser
constexpr std::string_view kClearGlyph[] = {
    "................",
    "................",
    "................",
    ".........kk.....",
    "........kRRk....",
    ".......kRRRRk...",
    "......kRRRRRRk..",
    ".....kwRRRRRRk..",
    "....kwwwRRRRk...",
    "...kwwwwwRRk....",
    "...kwwwwwwk.....",
    "....kwwwwk......",
    ".....kkkk.gggg..",
    "................",
    "................",
    "................",
};

// the board, top view
constexpr std::string_view kBoard[] = {
    "...........................................................",
    "...........................................................",
    ".QQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQ.",
    "QPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPQ",
    "QPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPQ",
    "QPPSSSPPPPPPPPPWWWPWWPPWPWPPWPPWPPWPWWWPPPPPPPPPPPPPPSSSPPQ",
    "QPPSKSPPPPPPPPPWPWPWPWPWPWPWPWPWWPWPWPPPPPPPPPPPPPPPPSKSPPQ",
    "QPPSSSPPPPPPPPPWPWPWWPPWPWPWWWPWPWWPWWPPPPPPPPPPPPPPPSSSPPQ",
    "QPPPPPPPPPPPPPPWPWPWPWPWPWPWPWPWPPWPWPPPPPPPPPPPPPPPPPPPPPQ",
    "QPPPPPPPPPPPPPPWWWPWPWPPWPPWPWPWPPWPWWWPPpPpPpPpPpPpPpPpPPQ",
    "QPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPRPRPRPRPRPRPRPRPPQ",
    "QPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPQ",
    "QPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPTPTPTPTPTPTPTPTPPQ",
    "QPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPTPTPTPTPTPTPTPTPPQ",
    "gggggggkPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPTPTPTPTPTPTPTPTPPQ",
    "gGGGGGGkPPPPPPPPPPPPPPKKKKKKKKKKKKPPLLLLLLLLLLLLPPPPPPPPPPQ",
    "gGGGGGGkPPPPPPPPPPPPGGKhhhhKKhhhhKGGLPPPPPPPPPPPPPPPPPPPPPQ",
    "gGKKKKGkPPPPPPPPPPPPPPKkkkkkkkkkkKPPLPPPPPPPPPPPPPPPPPPPPPQ",
    "gGKSKKGkPPPPKKKKKPPPGGKkgkkkkkkkkKGGPPPPPPPPPPPPPPPPPPPPPPQ",
    "gGKKSKGkPPPGKgkkKGPPPPKkkkkkkkkkkKPPPPPPPPPPPPPPPPPPPPPPPPQ",
    "gGKSKKGkLLLLKkkkKPPPGGKkkkkkkkkkkKGGPPPPPPKKKKKKKKPPPPPPPPQ",
    "gGKKSKGkPPPGKkkkKGPPPPKkkkkkkkkkkKPPPPPPGGKhhhhhhKGGPPPPPPQ",
    "gGKSKKGkPPPPKkkkKLLLGGKkkkkkkkkkkKGGPPPPPPKkkkkkkKPPPPPPPPQ",
    "gGKKSKGkPPPGKkkkKGPLPPKkkkkkkkkkkKPPPPPPGGKkgkkkkKGGPPPPPPQ",
    "gGKSKKGkLLLLKkkkKPPLGGKkkkkkkkkkkKGGLLLLPPKkkkkkkKPPPPPPPPQ",
    "gGKKSKGkPPPGKkkkKGPLPPKkkkkkkkkkkKPPPPPPGGKkkkkkkKGGPPPPPPQ",
    "gGKSKKGkPPPPKkkkKLLLGGKkkkkkkkkkkKGGPPPPPPKkkkkkkKPPPPPPPPQ",
    "gGKKKKGkPPPGKkkkKGPPPPKkkkkkkkkkkKPPPPPPGGKkkkkkkKGGPPPPPPQ",
    "gGKKKKGkPPPPKkkkKPPPGGKkkwwwwwwkkKGGPPPPPPKkkkkkkKPPPPPPPPQ",
    "gGGGGGGkPPPPKKKKKPPPPPKkkwwwwwwkkKPPPPPPGGKkkkkkkKGGPPPPPPQ",
    "gGGGGGGkPPPPPPPPPPPPGGKkkwggggwkkKGGLLLLPPKkkkkkkKPPPPNPPPQ",
    "gggggggkPPPPPPPPPPPPPPKkkwgggwwkkKPPPPPPGGKkkkkkkKGGPPlPPPQ",
    "QPPPPPPPPPPPPPPPPPPPGGKkkwwwwwwkkKGGPPPPPPKkkkkkkKPPPPPPPPQ",
    "QPPPPPPPPPPPPPPPPPPPPPKkkwwwwwwkkKPPPPPPGGKkkkkkkKGGPPPPPPQ",
    "QPPPPPPPPBBBPPPPPPPPGGKkkkkkkkkkkKGGPPPPPPKkkkkkkKPPPPPPPPQ",
    "QPPPPPPPPbbbPPPPPPPPPPKkkkkkkkkkkKPPPPPPGGKkkkkkkKGGPPPPPPQ",
    "QPPPPPPPPbbbPPPggggPGGKkkkkkkkkkkKGGLLLLPPKkkkkkkKPPPPPPPPQ",
    "KKKKKKPPPbbbPPPgGGgPPPKkkkkkkkkkkKPPPPPPGGKkkkkkkKGGPPPPPPQ",
    "KkkkkKPPPPPPPPPgWGgPGGKkkkkkkkkkkKGGPPPPPPKkkkkkkKPPPPPPPPQ",
    "KkkkkKPPPPPPPPPgGGgPPPKkkkkkkkkkkKPPPPPPGGKkkkkkkKGGPPPPPPQ",
    "KkggkKPPPPPPPPPgGGgPGGKkkkkkkkkkkKGGPPPPPPKkkkkkkKPPPPPPPPQ",
    "KkkkkKPPPPPPPPPgGGgPPPKkkkkkkkkkkKPPPPPPGGKkkkkkkKGGPPPPPPQ",
    "KkkkkKPPPPPPPPPgGGgPGGKkkkkkkkkkkKGGPPPPPPKkkkkkkKPPPPPPPPQ",
    "KKKKKKPPPPPPPPPgGGgPPPKkkkkkkkkkkKPPPPPPPPKKKKKKKKPPPPPPPPQ",
    "QPPPPPPPPPPPPPPggggPGGKkkkkkkkkkkKGGPPPPPPPPPPPPPPPPPPPPPPQ",
    "QPPPPPPPKKKKKKPPPPPPPPKkkkkkkkkkkKPPPPPPPPPPPPPPPPPPBBBPPPQ",
    "QPPPPPPPKhhhhKPPPPPPGGKkkkkkkkkkkKGGPPPPPPPPPPPPPPPPbbbPPPQ",
    "QPPPPPPPKhRRhKPPPPPPPPKKKKKKKKKKKKPPPPPPPPPPPPPPPPPPbbbPPPQ",
    "QPPPPPPPKhRRhKPPPPPPPPPPPPPLPPPLPPPPPPPPPPPPPPPPPPPPbbbPPPQ",
    "QPPPPPPPKhhhhKPPPPPPPPPPPPPLPPPLPPPPPPPPPPPPPPPPPPPPPPPPPPQ",
    "QPPSSSPPKKKKKKPPPPPPPPPPPPPLPPPLPPPPPPPPPPPPPPPPPPPPPSSSPPQ",
    "QPPSKSPPPPPPPPPPPPPKKKKKKKKKKKKKKKKKKKKKKKKKKKKPPPPPPSKSPPQ",
    "QPPSSSPPPPPPPPPPPPPKSKSKSKSKSKSKSKSKSKSKSKSKSKKPPPPPPSSSPPQ",
    "QPPPPPPPPPPPPPPPPPPKKKKKKKKKKKKKKKKKKKKKKKKKKKKPPPPPPPPPPPQ",
    "QPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPQ",
    ".QQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQQ.",
    "...........................................................",
    "...........................................................",
};

// window icon
constexpr std::string_view kMainIcon[] = {
    ".............00000..............",
    ".............0EEE0..............",
    ".............0EEE0..............",
    ".............0EEE0..............",
    ".............0EEE0..............",
    ".0000000000000EEE00000000000000.",
    ".0222222222220EEE02222222222220.",
    ".0272222220000EEE00002222222720.",
    ".0222222220EEEEEEEEE02222222220.",
    ".02222222220EEEEEEE022222222220.",
    ".022666622220EEEEE0222222222220.",
    ".0222222200000EEE00000022222220.",
    ".02222777088880E088888077722220.",
    ".022222220000000000000022222220.",
    ".022227770080000000000077722220.",
    ".022222220000000000000022222220.",
    ".022227770000000000000077722220.",
    ".022222220000000000000022222220.",
    ".022227770000000000000077722220.",
    ".022222220000000000000022222220.",
    ".022227770000000000000077722220.",
    ".022222220000000000000022222220.",
    ".022227770000000000000077722220.",
    ".022222220000000000000022222220.",
    ".022227770000000000000077722220.",
    ".022222220000000000000022222220.",
    ".022227770000000000000077722220.",
    ".022222220000000000000022222220.",
    ".027222222222222222222222222720.",
    ".022222222222222222222222222220.",
    ".000000000000000000000000000000.",
    "................................",
};

// window icon, small
constexpr std::string_view kSmallIcon[] = {
    "......0000......",
    "......0EE0......",
    "......0EE0......",
    "0000000EE0000000",
    "0272220EE0222720",
    "0220000EE0000220",
    "02220EEEEEE02220",
    "022220EEEE022220",
    "0222220EE0222220",
    "0222222002222220",
    "0222088888802220",
    "0227000000007220",
    "0222000000002220",
    "0227000000007220",
    "0272222222222720",
    "0000000000000000",
};

// clang-format on

constexpr std::span<const std::string_view> kImageMaps[kImageListCount] = {
    kImage0, kImage1,  kImage2,  kImage3,  kImage4,  kImage5,  kImage6,  kImage7,  kImage8,
    kImage9, kImage10, kImage11, kImage12, kImage13, kImage14, kImage15, kImage16,
};

}  // namespace

Picture PictureFromMap(std::span<const std::string_view> rows,
                       std::span<const PaletteEntry> palette) {
  if (rows.empty() || rows.front().empty()) throw std::invalid_argument("empty picture map");
  Picture picture;
  picture.width = static_cast<int>(rows.front().size());
  picture.height = static_cast<int>(rows.size());
  picture.pixels.reserve(rows.size() * rows.front().size());
  for (std::size_t y = 0; y < rows.size(); ++y) {
    if (rows[y].size() != rows.front().size()) {
      throw std::invalid_argument("picture map row " + std::to_string(y) + " has " +
                                  std::to_string(rows[y].size()) + " pixels, not " +
                                  std::to_string(picture.width));
    }
    for (char key : rows[y]) {
      if (key == '.') {
        picture.pixels.push_back(0);
        continue;
      }
      const PaletteEntry* found = nullptr;
      for (const PaletteEntry& entry : palette) {
        if (entry.key == key) found = &entry;
      }
      if (!found) {
        throw std::invalid_argument(std::string("picture map colour '") + key + "' in row " +
                                    std::to_string(y) + " is not in the palette");
      }
      picture.pixels.push_back(0xFF000000u | found->rgb);
    }
  }
  return picture;
}

Picture FitToFrame(const Picture& picture, int width, int height) {
  Picture out;
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  if (picture.width <= 0 || picture.height <= 0 || width <= 0 || height <= 0) return out;
  int scale = std::min(width / picture.width, height / picture.height);
  if (scale < 1) scale = 1;
  const int left = (width - picture.width * scale) / 2;
  const int top = (height - picture.height * scale) / 2;
  for (int y = 0; y < height; ++y) {
    const int sy = (y - top) >= 0 ? (y - top) / scale : -1;
    if (sy < 0 || sy >= picture.height) continue;
    for (int x = 0; x < width; ++x) {
      const int sx = (x - left) >= 0 ? (x - left) / scale : -1;
      if (sx < 0 || sx >= picture.width) continue;
      out.pixels[static_cast<std::size_t>(y * width + x)] = picture.At(sx, sy);
    }
  }
  return out;
}

Picture ImageListPicture(int index) {
  if (index < 0 || index >= kImageListCount) {
    throw std::out_of_range("no image " + std::to_string(index) + " in the image list");
  }
  return PictureFromMap(kImageMaps[index], kPalette);
}

Picture MainIconPicture() { return PictureFromMap(kMainIcon, kStandardPalette); }
Picture SmallIconPicture() { return PictureFromMap(kSmallIcon, kStandardPalette); }
Picture MainWindowDecorationPicture() { return PictureFromMap(kBoard, kPalette); }
Picture OkGlyphPicture() { return PictureFromMap(kOkGlyph, kPalette); }
Picture CloseGlyphPicture() { return ImageListPicture(kImageExit); }
Picture ClearGlyphPicture() { return PictureFromMap(kClearGlyph, kPalette); }

std::span<const std::uint32_t> StandardColours() {
  static const std::array<std::uint32_t, 16> colours = [] {
    std::array<std::uint32_t, 16> rgb{};
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = kStandardPalette[i].rgb;
    return rgb;
  }();
  return colours;
}

}  // namespace orvane::app
