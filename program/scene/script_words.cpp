#include "program/scene/script_words.h"

#include <string_view>

namespace yov {

namespace {

// In their order, $BGCOLOR and W twice as the word lists have them.
constexpr const char16_t* kKeywordSteps[] = {
    // directives
    u"$OPT $OPTION $OPTCMD $INFO $ERROR $MINVER $SPLASH $HLPWEB $NOAUTHORS $NOCAT $NORAIL $VERSION $NOSTOPONMOVE "
    u"$NOSTOPONKEY $NOSTOPONCLICK $SKIPERR $PHASESTEP $BGCOLOR $WAY $INCLUDE $DEF $END",
    // "$" parameter lines
    u"$ABOVE $ACCEL $BELOW $BGCOLOR $BRAKE $COPDIST $COPSPEED $IMGY $INITIAL_SPEED $MAXLINE $MINSPACE $RANDOM "
    u"$SPEED $TX $TXB $TXC $TXX $TXY $USECACHE $USEDEFDIR",
    // movement modes and the pool word
    u"BACK CHANGE CUT CUT2 ECHG FOLLOW GET HEAD NULL OPEN PUSH PUT RCUT SIMPLE STOP TURN UNIT POOL",
    // parameter names, in four steps
    u"COUNT FIN FINISH_MODE LC LIMIT_MOVEMENT LIMIT_TIME NL NO_LIMIT UNLIMITED AB ABOVE BL BELOW DX WIDTH DY HEIGHT "
    u"IMGY VH VEHICLE_HEIGHT LEFT X X0",
    u"ML MAXLINE MS MINSPACE TOP Y Y0 BG BACKGROUND FG FOREGROUND TG TBG TEMPORARY_BACKGROUND XG XBG "
    u"GROWABLE_BACKGROUND TX TEXT TXB TEXTBACKGROUNDCOLOR TXC TEXTCOLOR",
    u"TXX TXHPOS TEXTPOSITION TXY TXVPOS TEXTVERTICALPOSITION W WAY WR WE WA WT WM WP WAYPOINT WAYPOINTS CD COPDIST "
    u"COUPLE_DISTANCE CV COPSPEED COUPLE_SPEED",
    u"IV INITIAL_SPEED STARTSPEED C C1 C2 C3 D V P B T T1 T2 T3 T4 TE TB A W A1 B1 A2 B2",
};

std::u16string lines(std::u16string_view words) {
    std::u16string out;
    size_t from = 0;
    while (from < words.size()) {
        size_t to = words.find(u' ', from);
        if (to == std::u16string_view::npos) to = words.size();
        if (to > from) {
            out.append(words.substr(from, to - from));
            out += u'\n';
        }
        from = to + 1;
    }
    return out;
}

}  // namespace

std::u16string EditorKeywordList() {
    std::u16string out;
    for (const char16_t* step : kKeywordSteps) out += lines(step);
    return out;
}

std::u16string EditorBlockBeginList() { return lines(u"$SECTION $SCENE $PATH $GROUP $POOL"); }
std::u16string EditorBlockEndList() { return lines(u"$ENDSECTION $ENDSCENE $ENDPATH $ENDGROUP $ENDPOOL"); }

}  // namespace yov
