// The 493 entries of the name table. Reserved entries hold codes that no
// word of this build uses, so that every other entry keeps its number.
#include "scriptlib/name_table.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qsl {
namespace {

constexpr NameEntry table_entries[493] = {
    {0, 1, 0, 0x0000, 1, "!"},
    {1, 5, 0, 0x0000, 2, "!="},
    {2, 0, 0, 0x0000, 1, "&"},
    {3, 0, 0, 0x0000, 2, "&&"},
    {4, 0, 0, 0x0000, 1, "("},
    {5, 0, 0, 0x0000, 1, ")"},
    {6, 0, 0, 0x0000, 1, "*"},
    {7, 0, 0, 0x0000, 2, "**"},
    {8, 0, 0, 0x0000, 1, "+"},
    {9, 0, 0, 0x0000, 1, ","},
    {10, 0, 0, 0x0000, 1, "-"},
    {11, 0, 0, 0x0000, 1, "/"},
    {12, 0, 0, 0x0000, 1, ":"},
    {13, 0, 0, 0x0000, 2, "::"},
    {14, 5, 0, 0x0000, 1, "<"},
    {15, 0, 0, 0x0000, 2, "<<"},
    {16, 5, 0, 0x0000, 2, "<="},
    {17, 5, 0, 0x0000, 2, "<>"},
    {18, 0, 0, 0x0000, 1, "="},
    {19, 5, 0, 0x0000, 2, "=="},
    {20, 5, 0, 0x0000, 1, ">"},
    {21, 5, 0, 0x0000, 2, ">="},
    {22, 0, 0, 0x0000, 2, ">>"},
    {23, 3, 1, 0x0000, 11, "@aboveicons"},
    {24, 3, 61448, 0xF0F0, 4, "@amc"},
    {25, 3, 2, 0x0000, 8, "@arrange"},
    {26, 3, 0, 0x0000, 10, "@ascending"},
    {27, 3, 61449, 0xF0F0, 9, "@avogadro"},
    {28, 3, 1, 0x0000, 9, "@backscan"},
    {29, 3, 61450, 0xF0F0, 10, "@boltzmann"},
    {30, 3, 1, 0x0000, 7, "@cancel"},
    {31, 3, 20, 0x0000, 9, "@capslock"},
    {32, 3, 2, 0x0000, 6, "@check"},
    {33, 3, 4, 0x0000, 8, "@columns"},
    {34, 3, 61442, 0xFFF0, 3, "@cr"},
    {35, 3, 61440, 0xFFF0, 5, "@crlf"},
    {36, 3, 1, 0x0000, 5, "@ctrl"},
    {37, 3, 61442, 0xF0F0, 8, "@deg2rad"},
    {38, 3, 16, 0x0000, 11, "@descending"},
    {39, 3, 4, 0x0000, 8, "@disable"},
    {40, 3, 61441, 0xF0F0, 2, "@e"},
    {41, 3, 61451, 0xF0F0, 9, "@electric"},
    {42, 3, 8, 0x0000, 7, "@enable"},
    {43, 3, 61452, 0xF0F0, 7, "@eulers"},
    {44, 3, 0, 0x0000, 6, "@false"},
    {45, 3, 61453, 0xF0F0, 8, "@faraday"},
    {46, 3, 8, 0x0000, 7, "@float8"},
    {47, 3, 0, 0x0000, 8, "@fwdscan"},
    {48, 3, 35, 0x0000, 10, "@getprocid"},
    {49, 3, 61446, 0xF0F0, 7, "@gftsec"},
    {50, 3, 61447, 0xF0F0, 7, "@gmtsec"},
    {51, 3, 61454, 0xF0F0, 12, "@goldenratio"},
    {52, 3, 61455, 0xF0F0, 12, "@gravitation"},
    {53, 3, 65535, 0xFFFF, 7, "@hidden"},
    {54, 3, 1, 0x0000, 5, "@icon"},
    {55, 3, 4, 0x0000, 8, "@lbutton"},
    {56, 3, 513, 0x0000, 7, "@lclick"},
    {57, 3, 515, 0x0000, 10, "@ldblclick"},
    {58, 3, 61443, 0xFFF0, 3, "@lf"},
    {59, 3, 61459, 0xF0F0, 9, "@lightmps"},
    {60, 3, 61456, 0xF0F0, 10, "@lightmtps"},
    {61, 3, 61457, 0xF0F0, 9, "@magfield"},
    {62, 3, 1, 0x0000, 6, "@major"},
    {63, 3, 16, 0x0000, 8, "@mbutton"},
    {64, 3, 519, 0x0000, 7, "@mclick"},
    {65, 3, 521, 0x0000, 10, "@mdblclick"},
    {66, 3, 0, 0x0000, 6, "@minor"},
    {67, 3, 3, 0x0000, 9, "@multiple"},
    {68, 3, 0, 0x0000, 3, "@no"},
    {69, 3, 0, 0x0000, 9, "@noresize"},
    {70, 3, 2, 0x0000, 7, "@normal"},
    {71, 3, 2, 0x0000, 7, "@notify"},
    {72, 3, 33, 0x0000, 7, "@nowait"},
    {73, 3, 144, 0x0000, 8, "@numlock"},
    {74, 3, 0, 0x0000, 4, "@off"},
    {75, 3, 1, 0x0000, 3, "@on"},
    {76, 3, 1, 0x0000, 5, "@open"},
    {77, 3, 61458, 0xF0F0, 7, "@parsec"},
    {78, 3, 2, 0x0000, 10, "@parseonly"},
    {79, 3, 61440, 0xF0F0, 3, "@pi"},
    {80, 3, 61445, 0xF0F0, 11, "@planckergs"},
    {81, 3, 61444, 0xF0F0, 13, "@planckjoules"},
    {82, 3, 61443, 0xF0F0, 8, "@rad2deg"},
    {83, 3, 8, 0x0000, 8, "@rbutton"},
    {84, 3, 516, 0x0000, 7, "@rclick"},
    {85, 3, 518, 0x0000, 10, "@rdblclick"},
    {86, 3, 0, 0x8000, 11, "@regclasses"},
    {87, 3, 1, 0x8000, 11, "@regcurrent"},
    {88, 3, 2, 0x8000, 11, "@regmachine"},
    {89, 3, 1, 0x0000, 8, "@regroot"},
    {90, 3, 3, 0x8000, 9, "@regusers"},
    {91, 3, 3, 0x0000, 5, "@rows"},
    {92, 3, 0, 0x0000, 5, "@save"},
    {93, 3, 145, 0x0000, 11, "@scrolllock"},
    {94, 3, 2, 0x0000, 6, "@shift"},
    {95, 3, 2, 0x0000, 7, "@single"},
    {96, 3, 1, 0x0000, 7, "@sorted"},
    {97, 3, 1, 0x0000, 6, "@stack"},
    {98, 3, 0, 0x0000, 7, "@string"},
    {99, 3, 61441, 0xFFF0, 4, "@tab"},
    {100, 3, 2, 0x0000, 5, "@tile"},
    {101, 3, 1, 0x0000, 5, "@true"},
    {102, 3, 1, 0x0000, 8, "@uncheck"},
    {103, 3, 0, 0x0000, 9, "@unsorted"},
    {104, 3, 34, 0x0000, 5, "@wait"},
    {105, 3, 37477, 0x000A, 13, "@wholesection"},
    {106, 3, 1, 0x0000, 6, "@word1"},
    {107, 3, 2, 0x0000, 6, "@word2"},
    {108, 3, 4, 0x0000, 6, "@word4"},
    {109, 3, 1, 0x0000, 4, "@yes"},
    {110, 3, 3, 0x0000, 7, "@zoomed"},
    {111, 255, 0, 0x0000, 3, "@~1"},
    {112, 255, 0, 0x0000, 3, "@~2"},
    {113, 0, 0, 0x0000, 1, "^"},
    {114, 2, 0, 0x0000, 5, "about"},
    {115, 2, 1, 0x0000, 3, "abs"},
    {116, 2, 1, 0x0100, 4, "acos"},
    {117, 2, 1, 0x0001, 11, "addextender"},
    {118, 2, 1, 0x0001, 8, "appexist"},
    {119, 2, 1, 0x0001, 12, "appwaitclose"},
    {120, 2, 1, 0x0100, 4, "asin"},
    {121, 2, 5, 0x000F, 12, "askdirectory"},
    {122, 2, 5, 0x000F, 11, "askfilename"},
    {123, 2, 4, 0x0003, 11, "askfiletext"},
    {124, 2, 5, 0x0007, 11, "askitemlist"},
    {125, 2, 3, 0x0007, 7, "askline"},
    {126, 2, 2, 0x0003, 11, "askpassword"},
    {127, 2, 2, 0x0003, 8, "askyesno"},
    {128, 2, 1, 0x0100, 4, "atan"},
    {129, 2, 100, 0x0000, 7, "average"},
    {130, 4, 0, 0x0000, 4, "beep"},
    {131, 2, 1, 0x0000, 11, "binaryalloc"},
    {132, 2, 5, 0x0000, 9, "binaryand"},
    {133, 2, 2, 0x0000, 13, "binaryclipget"},
    {134, 2, 2, 0x0000, 13, "binaryclipput"},
    {135, 2, 3, 0x0000, 10, "binarycomp"},
    {136, 2, 5, 0x0000, 13, "binarycompare"},
    {137, 2, 5, 0x0000, 13, "binaryconvert"},
    {138, 2, 5, 0x0000, 10, "binarycopy"},
    {139, 2, 1, 0x0000, 12, "binaryeodget"},
    {140, 2, 2, 0x0000, 12, "binaryeodset"},
    {141, 2, 1, 0x0000, 10, "binaryfree"},
    {142, 2, 5, 0x0010, 13, "binaryhashrec"},
    {143, 2, 2, 0x0000, 10, "binaryincr"},
    {144, 2, 2, 0x0000, 11, "binaryincr2"},
    {145, 2, 2, 0x0000, 11, "binaryincr4"},
    {146, 2, 2, 0x0000, 13, "binaryincrflt"},
    {147, 2, 4, 0x0004, 11, "binaryindex"},
    {148, 2, 5, 0x0004, 13, "binaryindexex"},
    {149, 2, 4, 0x0004, 13, "binaryindexnc"},
    {150, 2, 5, 0x0000, 13, "binaryoletype"},
    {151, 2, 5, 0x0000, 8, "binaryor"},
    {152, 2, 2, 0x0000, 10, "binarypeek"},
    {153, 2, 2, 0x0000, 11, "binarypeek2"},
    {154, 2, 2, 0x0000, 11, "binarypeek4"},
    {155, 2, 2, 0x0000, 13, "binarypeekflt"},
    {156, 2, 3, 0x0000, 13, "binarypeekstr"},
    {157, 2, 3, 0x0000, 10, "binarypoke"},
    {158, 2, 3, 0x0000, 11, "binarypoke2"},
    {159, 2, 3, 0x0000, 11, "binarypoke4"},
    {160, 2, 3, 0x0400, 13, "binarypokeflt"},
    {161, 2, 3, 0x0004, 13, "binarypokestr"},
    {162, 2, 2, 0x0002, 10, "binaryread"},
    {163, 2, 5, 0x0004, 12, "binaryreadex"},
    {164, 2, 5, 0x0000, 10, "binarysort"},
    {165, 2, 4, 0x0008, 12, "binarystrcnt"},
    {166, 2, 2, 0x0001, 13, "binarytagextr"},
    {167, 2, 1, 0x0001, 13, "binarytagfind"},
    {168, 2, 3, 0x0006, 13, "binarytaginit"},
    {169, 2, 2, 0x0003, 13, "binarytagrepl"},
    {170, 2, 2, 0x0000, 12, "binaryuncomp"},
    {171, 2, 2, 0x0002, 11, "binarywrite"},
    {172, 2, 5, 0x0004, 13, "binarywriteex"},
    {173, 2, 5, 0x0000, 9, "binaryxor"},
    {174, 8, 0, 0x0000, 5, "break"},
    {175, 2, 2, 0x0003, 11, "buttonnames"},
    {176, 0, 0, 0x0000, 2, "by"},
    {177, 2, 2, 0x0003, 4, "call"},
    {178, 8, 0, 0x0000, 4, "case"},
    {179, 2, 1, 0x0100, 7, "ceiling"},
    {180, 2, 1, 0x0001, 8, "char2num"},
    {181, 2, 1, 0x0001, 10, "clipappend"},
    {182, 2, 0, 0x0000, 7, "clipget"},
    {183, 2, 1, 0x0000, 9, "clipgetex"},
    {184, 2, 1, 0x0001, 7, "clipput"},
    {185, 8, 0, 0x0000, 8, "continue"},
    {186, 2, 1, 0x0100, 3, "cos"},
    {187, 2, 1, 0x0100, 4, "cosh"},
    {188, 2, 0, 0x0000, 8, "datetime"},
    {189, 2, 2, 0x0002, 10, "ddeexecute"},
    {190, 2, 2, 0x0003, 11, "ddeinitiate"},
    {191, 2, 3, 0x0006, 7, "ddepoke"},
    {192, 2, 2, 0x0002, 10, "dderequest"},
    {193, 2, 1, 0x0000, 12, "ddeterminate"},
    {194, 2, 1, 0x0000, 10, "ddetimeout"},
    {195, 2, 1, 0x0000, 5, "debug"},
    {196, 2, 2, 0x0003, 9, "debugdata"},
    {197, 2, 2, 0x0002, 10, "debugtrace"},
    {198, 2, 1, 0x0000, 8, "decimals"},
    {199, 2, 1, 0x0100, 5, "delay"},
    {200, 2, 1, 0x0001, 6, "dialog"},
    {201, 2, 2, 0x0003, 9, "dialogbox"},
    {202, 2, 1, 0x0001, 10, "dirattrget"},
    {203, 2, 2, 0x0003, 10, "dirattrset"},
    {204, 2, 1, 0x0001, 9, "dirchange"},
    {205, 2, 1, 0x0001, 8, "direxist"},
    {206, 2, 0, 0x0000, 6, "dirget"},
    {207, 2, 0, 0x0000, 7, "dirhome"},
    {208, 2, 1, 0x0001, 10, "diritemize"},
    {209, 2, 1, 0x0001, 7, "dirmake"},
    {210, 2, 1, 0x0001, 9, "dirremove"},
    {211, 2, 2, 0x0003, 9, "dirrename"},
    {212, 2, 2, 0x0001, 7, "dirsize"},
    {213, 2, 1, 0x0000, 10, "dirwindows"},
    {214, 2, 1, 0x0001, 9, "diskexist"},
    {215, 2, 1, 0x0001, 8, "diskfree"},
    {216, 2, 2, 0x0001, 8, "diskinfo"},
    {217, 2, 1, 0x0000, 8, "diskscan"},
    {218, 2, 1, 0x0001, 8, "disksize"},
    {219, 2, 2, 0x0001, 11, "diskvolinfo"},
    {220, 2, 3, 0x0006, 7, "display"},
    {221, 2, 100, 0x0000, 7, "dllcall"},
    {222, 2, 1, 0x0001, 7, "dllfree"},
    {223, 2, 1, 0x0001, 8, "dllhinst"},
    {224, 2, 1, 0x0001, 7, "dllhwnd"},
    {225, 2, 1, 0x0001, 7, "dllload"},
    {226, 2, 1, 0x0000, 10, "dosversion"},
    {227, 6, 100, 0x0000, 4, "drop"},
    {228, 2, 1, 0x0001, 8, "dropwild"},
    {229, 8, 0, 0x0000, 4, "else"},
    {230, 8, 0, 0x0000, 3, "end"},
    {231, 8, 0, 0x0000, 6, "endfor"},
    {232, 8, 0, 0x0000, 5, "endif"},
    {233, 8, 0, 0x0000, 9, "endselect"},
    {234, 2, 0, 0x0000, 10, "endsession"},
    {235, 8, 0, 0x0000, 9, "endswitch"},
    {236, 8, 0, 0x0000, 8, "endwhile"},
    {237, 2, 1, 0x0001, 11, "environment"},
    {238, 2, 2, 0x0003, 10, "environset"},
    {239, 2, 0, 0x0000, 10, "envitemize"},
    {240, 2, 1, 0x0000, 9, "errormode"},
    {241, 2, 1, 0x0000, 9, "exclusive"},
    {242, 4, 0, 0x0000, 7, "execute"},
    {243, 2, 1, 0x0001, 11, "exetypeinfo"},
    {244, 4, 0, 0x0000, 4, "exit"},
    {245, 2, 1, 0x0100, 3, "exp"},
    {246, 2, 1, 0x0100, 4, "fabs"},
    {247, 2, 2, 0x0003, 10, "fileappend"},
    {248, 2, 1, 0x0001, 11, "fileattrget"},
    {249, 2, 2, 0x0003, 11, "fileattrset"},
    {250, 2, 1, 0x0000, 9, "fileclose"},
    {251, 2, 2, 0x0003, 11, "filecompare"},
    {252, 2, 3, 0x0003, 8, "filecopy"},
    {253, 2, 4, 0x000B, 12, "filecopyattr"},
    {254, 2, 1, 0x0001, 10, "filedelete"},
    {255, 2, 1, 0x0001, 9, "fileexist"},
    {256, 2, 1, 0x0001, 13, "fileextension"},
    {257, 2, 1, 0x0001, 12, "filefullname"},
    {258, 2, 1, 0x0001, 11, "fileitemize"},
    {259, 2, 1, 0x0001, 10, "filelocate"},
    {260, 2, 2, 0x0003, 11, "filemapname"},
    {261, 2, 3, 0x0003, 8, "filemove"},
    {262, 2, 4, 0x000B, 12, "filemoveattr"},
    {263, 2, 1, 0x0001, 13, "filenameeval1"},
    {264, 2, 2, 0x0003, 13, "filenameeval2"},
    {265, 2, 1, 0x0001, 12, "filenamelong"},
    {266, 2, 1, 0x0001, 13, "filenameshort"},
    {267, 2, 2, 0x0003, 8, "fileopen"},
    {268, 2, 1, 0x0001, 8, "filepath"},
    {269, 2, 1, 0x0000, 8, "fileread"},
    {270, 2, 2, 0x0003, 10, "filerename"},
    {271, 2, 1, 0x0001, 8, "fileroot"},
    {272, 2, 1, 0x0001, 8, "filesize"},
    {273, 2, 1, 0x0001, 12, "filetimecode"},
    {274, 2, 1, 0x0001, 11, "filetimeget"},
    {275, 2, 2, 0x0001, 13, "filetimegetex"},
    {276, 2, 2, 0x0003, 11, "filetimeset"},
    {277, 2, 3, 0x0003, 13, "filetimesetex"},
    {278, 2, 1, 0x0001, 13, "filetimetouch"},
    {279, 2, 3, 0x0007, 11, "fileverinfo"},
    {280, 2, 2, 0x0002, 9, "filewrite"},
    {281, 2, 1, 0x0001, 10, "fileymdhms"},
    {282, 2, 1, 0x0001, 10, "findwindow"},
    {283, 2, 1, 0x0100, 5, "floor"},
    {284, 8, 0, 0x0000, 3, "for"},
    {285, 2, 0, 0x0000, 12, "getexacttime"},
    {286, 2, 0, 0x0000, 12, "gettickcount"},
    {287, 8, 0, 0x0000, 5, "gosub"},
    {288, 4, 0, 0x0000, 4, "goto"},
    {289, 2, 0, 0x0000, 11, "iconarrange"},
    {290, 2, 2, 0x0003, 11, "iconreplace"},
    {291, 8, 0, 0x0000, 2, "if"},
    {292, 2, 1, 0x0000, 11, "ignoreinput"},
    {293, 2, 2, 0x0003, 9, "inidelete"},
    {294, 2, 3, 0x0007, 12, "inideletepvt"},
    {295, 2, 1, 0x0001, 10, "iniitemize"},
    {296, 2, 2, 0x0003, 13, "iniitemizepvt"},
    {297, 2, 3, 0x0007, 7, "iniread"},
    {298, 2, 4, 0x000F, 10, "inireadpvt"},
    {299, 2, 3, 0x0007, 8, "iniwrite"},
    {300, 2, 4, 0x000F, 11, "iniwritepvt"},
    {301, 2, 5, 0x0007, 11, "installfile"},
    {302, 2, 1, 0x0000, 3, "int"},
    {303, 2, 5, 0x001E, 10, "intcontrol"},
    {304, 6, 100, 0x0000, 9, "isdefined"},
    {305, 2, 1, 0x0001, 7, "isfloat"},
    {306, 2, 1, 0x0001, 5, "isint"},
    {307, 2, 1, 0x0000, 9, "iskeydown"},
    {308, 2, 1, 0x0001, 8, "isnumber"},
    {309, 2, 2, 0x0003, 9, "itemcount"},
    {310, 2, 3, 0x0006, 11, "itemextract"},
    {311, 2, 4, 0x000D, 10, "iteminsert"},
    {312, 2, 3, 0x0007, 10, "itemlocate"},
    {313, 2, 3, 0x0006, 10, "itemremove"},
    {314, 2, 3, 0x0007, 10, "itemselect"},
    {315, 2, 2, 0x0003, 8, "itemsort"},
    {316, 2, 2, 0x0003, 10, "itemsortnc"},
    {317, 2, 1, 0x0000, 12, "keytoggleget"},
    {318, 2, 2, 0x0000, 12, "keytoggleset"},
    {319, 2, 0, 0x0000, 9, "lasterror"},
    {320, 2, 1, 0x0100, 5, "log10"},
    {321, 2, 1, 0x0001, 7, "logdisk"},
    {322, 2, 1, 0x0100, 4, "loge"},
    {323, 255, 0, 0x0000, 2, "l~"},
    {324, 2, 100, 0x0000, 3, "max"},
    {325, 2, 2, 0x0003, 7, "message"},
    {326, 2, 100, 0x0000, 3, "min"},
    {327, 0, 0, 0x0000, 3, "mod"},
    {328, 2, 2, 0x0000, 10, "mouseclick"},
    {329, 2, 3, 0x0007, 13, "mouseclickbtn"},
    {330, 2, 2, 0x0003, 11, "mousecoords"},
    {331, 2, 5, 0x000C, 9, "mousedrag"},
    {332, 2, 1, 0x0000, 9, "mouseinfo"},
    {333, 2, 4, 0x000C, 9, "mousemove"},
    {334, 2, 1, 0x0001, 10, "msgtextget"},
    {335, 2, 1, 0x0000, 7, "netinfo"},
    {336, 8, 0, 0x0000, 4, "next"},
    {337, 2, 1, 0x0000, 8, "num2char"},
    {338, 2, 2, 0x0001, 12, "objectaccess"},
    {339, 2, 1, 0x0000, 11, "objectclose"},
    {340, 2, 1, 0x0001, 10, "objectopen"},
    {341, 2, 1, 0x0001, 9, "parsedata"},
    {342, 2, 2, 0x0003, 5, "pause"},
    {343, 2, 1, 0x0001, 9, "playmedia"},
    {344, 2, 2, 0x0001, 8, "playmidi"},
    {345, 2, 2, 0x0001, 12, "playwaveform"},
    {346, 2, 4, 0x0003, 5, "print"},
    {347, 2, 1, 0x0000, 6, "random"},
    {348, 2, 2, 0x0003, 6, "regapp"},
    {349, 2, 1, 0x0000, 11, "regclosekey"},
    {350, 2, 2, 0x0001, 10, "regconnect"},
    {351, 2, 2, 0x0002, 12, "regcreatekey"},
    {352, 2, 2, 0x0002, 12, "regdeletekey"},
    {353, 2, 2, 0x0002, 11, "regdelvalue"},
    {354, 2, 2, 0x0002, 12, "regentrytype"},
    {355, 2, 2, 0x0002, 11, "regexistkey"},
    {356, 2, 2, 0x0002, 13, "regexistvalue"},
    {357, 2, 3, 0x0006, 11, "regloadhive"},
    {358, 2, 2, 0x0002, 10, "regopenkey"},
    {359, 2, 2, 0x0002, 11, "regquerybin"},
    {360, 2, 2, 0x0002, 13, "regquerydword"},
    {361, 2, 4, 0x0006, 10, "regqueryex"},
    {362, 2, 2, 0x0002, 13, "regqueryexpsz"},
    {363, 2, 2, 0x0002, 12, "regqueryitem"},
    {364, 2, 2, 0x0000, 11, "regquerykey"},
    {365, 2, 1, 0x0000, 12, "regquerykeys"},
    {366, 2, 3, 0x0006, 13, "regquerymulsz"},
    {367, 2, 2, 0x0002, 13, "regqueryvalue"},
    {368, 2, 3, 0x0006, 9, "regsetbin"},
    {369, 2, 3, 0x0006, 11, "regsetdword"},
    {370, 2, 5, 0x000E, 8, "regsetex"},
    {371, 2, 3, 0x0006, 11, "regsetexpsz"},
    {372, 2, 4, 0x000E, 11, "regsetmulsz"},
    {373, 2, 3, 0x0006, 11, "regsetvalue"},
    {374, 2, 2, 0x0002, 13, "regunloadhive"},
    {375, 8, 0, 0x0000, 6, "return"},
    {376, 2, 2, 0x0003, 3, "run"},
    {377, 2, 4, 0x0003, 10, "runenviron"},
    {378, 2, 2, 0x0003, 7, "runexit"},
    {379, 2, 2, 0x0003, 7, "runhide"},
    {380, 2, 2, 0x0003, 11, "runhidewait"},
    {381, 2, 2, 0x0003, 7, "runicon"},
    {382, 2, 2, 0x0003, 11, "runiconwait"},
    {383, 2, 5, 0x0007, 8, "runshell"},
    {384, 2, 2, 0x0003, 7, "runwait"},
    {385, 2, 2, 0x0003, 7, "runzoom"},
    {386, 2, 2, 0x0003, 11, "runzoomwait"},
    {387, 8, 0, 0x0000, 6, "select"},
    {388, 2, 1, 0x0001, 7, "sendkey"},
    {389, 2, 3, 0x0007, 13, "sendkeyschild"},
    {390, 2, 2, 0x0003, 10, "sendkeysto"},
    {391, 2, 2, 0x0003, 11, "sendmenusto"},
    {392, 2, 5, 0x0007, 13, "sendmenustoex"},
    {393, 2, 5, 0x0017, 12, "shellexecute"},
    {394, 2, 1, 0x0001, 11, "shortcutdir"},
    {395, 2, 5, 0x000F, 12, "shortcutedit"},
    {396, 2, 5, 0x000F, 13, "shortcutextra"},
    {397, 2, 1, 0x0001, 12, "shortcutinfo"},
    {398, 2, 5, 0x000F, 12, "shortcutmake"},
    {399, 2, 1, 0x0100, 3, "sin"},
    {400, 2, 1, 0x0100, 4, "sinh"},
    {401, 2, 1, 0x0000, 8, "snapshot"},
    {402, 2, 1, 0x0000, 6, "sounds"},
    {403, 2, 1, 0x0100, 4, "sqrt"},
    {404, 2, 100, 0x0000, 6, "strcat"},
    {405, 2, 1, 0x0001, 12, "strcharcount"},
    {406, 2, 2, 0x0003, 6, "strcmp"},
    {407, 2, 2, 0x0001, 7, "strfill"},
    {408, 2, 3, 0x0003, 6, "strfix"},
    {409, 2, 3, 0x0003, 11, "strfixchars"},
    {410, 2, 3, 0x0003, 12, "strfixcharsl"},
    {411, 2, 3, 0x0003, 10, "strfixleft"},
    {412, 2, 2, 0x0003, 7, "stricmp"},
    {413, 2, 4, 0x0003, 8, "strindex"},
    {414, 2, 4, 0x0003, 10, "strindexnc"},
    {415, 2, 3, 0x0003, 12, "strindexwild"},
    {416, 2, 1, 0x0001, 6, "strlen"},
    {417, 2, 3, 0x0003, 10, "strlenwild"},
    {418, 2, 1, 0x0001, 8, "strlower"},
    {419, 2, 3, 0x0007, 10, "strreplace"},
    {420, 2, 4, 0x0003, 7, "strscan"},
    {421, 2, 3, 0x0001, 6, "strsub"},
    {422, 2, 3, 0x0003, 10, "strsubwild"},
    {423, 2, 1, 0x0001, 7, "strtrim"},
    {424, 2, 1, 0x0001, 8, "strupper"},
    {425, 8, 0, 0x0000, 6, "switch"},
    {426, 2, 1, 0x0100, 3, "tan"},
    {427, 2, 1, 0x0100, 4, "tanh"},
    {428, 2, 3, 0x0006, 9, "terminate"},
    {429, 2, 2, 0x0003, 7, "textbox"},
    {430, 2, 2, 0x0003, 11, "textboxsort"},
    {431, 2, 3, 0x0007, 10, "textselect"},
    {432, 8, 0, 0x0000, 4, "then"},
    {433, 2, 2, 0x0003, 7, "timeadd"},
    {434, 2, 0, 0x0000, 8, "timedate"},
    {435, 2, 1, 0x0100, 9, "timedelay"},
    {436, 2, 2, 0x0003, 8, "timediff"},
    {437, 2, 2, 0x0003, 12, "timediffdays"},
    {438, 2, 2, 0x0003, 12, "timediffsecs"},
    {439, 2, 1, 0x0001, 13, "timejulianday"},
    {440, 2, 1, 0x0000, 12, "timejultoymd"},
    {441, 2, 2, 0x0003, 12, "timesubtract"},
    {442, 2, 1, 0x0001, 8, "timewait"},
    {443, 2, 0, 0x0000, 10, "timeymdhms"},
    {444, 8, 0, 0x0000, 2, "to"},
    {445, 2, 0, 0x0000, 7, "version"},
    {446, 2, 0, 0x0000, 10, "versiondll"},
    {447, 2, 5, 0x001F, 10, "waitforkey"},
    {448, 2, 2, 0x0001, 9, "wallpaper"},
    {449, 8, 0, 0x0000, 5, "while"},
    {450, 2, 1, 0x0001, 11, "winactivate"},
    {451, 2, 2, 0x0003, 13, "winactivchild"},
    {452, 2, 1, 0x0001, 10, "winarrange"},
    {453, 2, 1, 0x0001, 8, "winclose"},
    {454, 2, 100, 0x0000, 11, "winclosenot"},
    {455, 2, 0, 0x0000, 9, "winconfig"},
    {456, 2, 1, 0x0001, 10, "winexename"},
    {457, 2, 1, 0x0001, 8, "winexist"},
    {458, 2, 2, 0x0003, 13, "winexistchild"},
    {459, 2, 0, 0x0000, 12, "wingetactive"},
    {460, 2, 3, 0x0007, 7, "winhelp"},
    {461, 2, 1, 0x0001, 7, "winhide"},
    {462, 2, 1, 0x0001, 10, "winiconize"},
    {463, 2, 1, 0x0001, 8, "winidget"},
    {464, 2, 1, 0x0001, 8, "winisdos"},
    {465, 2, 1, 0x0001, 12, "winitemchild"},
    {466, 2, 0, 0x0000, 10, "winitemize"},
    {467, 2, 3, 0x0001, 12, "winitemizeex"},
    {468, 2, 0, 0x0000, 13, "winitemnameid"},
    {469, 2, 3, 0x0000, 13, "winitemprocid"},
    {470, 2, 1, 0x0000, 10, "winmetrics"},
    {471, 2, 0, 0x0000, 7, "winname"},
    {472, 2, 1, 0x0000, 10, "winparmget"},
    {473, 2, 3, 0x0002, 10, "winparmset"},
    {474, 2, 5, 0x0010, 8, "winplace"},
    {475, 2, 2, 0x0002, 11, "winplaceget"},
    {476, 2, 3, 0x0006, 11, "winplaceset"},
    {477, 2, 1, 0x0001, 11, "winposition"},
    {478, 2, 1, 0x0000, 12, "winresources"},
    {479, 2, 1, 0x0001, 7, "winshow"},
    {480, 2, 1, 0x0001, 8, "winstate"},
    {481, 2, 0, 0x0000, 10, "winsysinfo"},
    {482, 2, 2, 0x0003, 8, "wintitle"},
    {483, 2, 1, 0x0000, 10, "winversion"},
    {484, 2, 3, 0x0003, 12, "winwaitchild"},
    {485, 2, 1, 0x0001, 12, "winwaitclose"},
    {486, 2, 2, 0x0001, 12, "winwaitexist"},
    {487, 2, 1, 0x0001, 7, "winzoom"},
    {488, 4, 0, 0x0000, 5, "yield"},
    {489, 2, 1, 0x0000, 6, "yields"},
    {490, 0, 0, 0x0000, 1, "|"},
    {491, 0, 0, 0x0000, 2, "||"},
    {492, 1, 0, 0x0000, 1, "~"},
};

constexpr bool names_equal(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

constexpr bool name_less(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return static_cast<unsigned char>(*a) < static_cast<unsigned char>(*b);
}

constexpr bool table_is_sound() {
    for (int i = 0; i < 493; ++i) {
        if (table_entries[i].code != i) return false;
        if (i > 0 && !name_less(table_entries[i - 1].name, table_entries[i].name)) return false;
    }
    return true;
}
static_assert(table_is_sound(), "the name table must be numbered by position and sorted");
static_assert(names_equal(table_entries[code_while].name, "while") && names_equal(table_entries[code_for].name, "for") &&
              names_equal(table_entries[code_switch].name, "switch") && names_equal(table_entries[code_mod].name, "mod") &&
              names_equal(table_entries[code_bit_xor].name, "^") && names_equal(table_entries[code_bit_not].name, "~") &&
              names_equal(table_entries[code_call].name, "call") && names_equal(table_entries[code_addextender].name, "addextender"));

// For each first character the range of entries whose name starts with it.
struct Index {
    uint16_t first[256];
    uint16_t last[256];
    constexpr Index() : first(), last() {
        for (int i = 0; i < 493; ++i) {
            unsigned char ch = static_cast<unsigned char>(table_entries[i].name[0]);
            if (first[ch] == last[ch]) first[ch] = uint16_t(i);
            last[ch] = uint16_t(i + 1);
        }
    }
};
constexpr Index sorted_index;

}  // namespace

const NameEntry& name_entry(int code) { return table_entries[code]; }

namespace {

// Words are looked up on every statement, so whole names are hashed once
// into an open-addressed table of codes.
constexpr uint32_t buckets = 2048;

constexpr uint32_t hash_of(const char* text, size_t length) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < length; ++i) h = (h ^ static_cast<unsigned char>(text[i])) * 16777619u;
    return h;
}

struct WordIndex {
    int16_t code[buckets];
    constexpr WordIndex() : code() {
        for (auto& c : code) c = -1;
        for (int i = 0; i < 493; ++i) {
            const NameEntry& e = table_entries[i];
            if (e.cls == class_reserved) continue;
            uint32_t at = hash_of(e.name, e.length) & (buckets - 1);
            while (code[at] >= 0) at = (at + 1) & (buckets - 1);
            code[at] = int16_t(i);
        }
    }
};
constexpr WordIndex word_index;

}  // namespace

int lookup_word(std::string_view word) {
    if (word.empty() || word.size() > 13) return -1;
    for (uint32_t at = hash_of(word.data(), word.size()) & (buckets - 1);; at = (at + 1) & (buckets - 1)) {
        int code = word_index.code[at];
        if (code < 0) return -1;
        const NameEntry& e = table_entries[code];
        if (e.length != word.size()) continue;
        size_t k = 0;
        while (k < word.size() && e.name[k] == word[k]) ++k;
        if (k == word.size()) return code;
    }
}

namespace {

// Operators are one or two characters: a table by first character holds the
// one-character code and whether a two-character operator may follow.
struct Operators {
    int16_t single[256];
    bool pair[256];
    constexpr Operators() : single(), pair() {
        for (auto& c : single) c = -1;
        for (int i = 0; i < 493; ++i) {
            const NameEntry& e = table_entries[i];
            unsigned char ch = static_cast<unsigned char>(e.name[0]);
            bool word = (ch >= 'a' && ch <= 'z') || ch == '@';
            if (word || e.cls == class_reserved) continue;
            if (e.length == 1) single[ch] = int16_t(i);
            else pair[ch] = true;
        }
    }
};
constexpr Operators operator_index;

}  // namespace

int lookup_operator(const char* text, int& length) {
    unsigned char ch = static_cast<unsigned char>(text[0]);
    if (operator_index.pair[ch] && text[1]) {
        for (int i = sorted_index.first[ch]; i < sorted_index.last[ch]; ++i) {
            const NameEntry& e = table_entries[i];
            if (e.length == 2 && e.name[1] == text[1] && e.cls != class_reserved) {
                length = 2;
                return i;
            }
        }
    }
    length = operator_index.single[ch] >= 0 ? 1 : 0;
    return operator_index.single[ch];
}

}  // namespace qsl
