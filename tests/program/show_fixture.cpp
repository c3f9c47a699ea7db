#include "show_fixture.h"

#include "program/core/params/param_table.h"

namespace show_test {

void ClearSceneModel() {
    yov::scriptReader().S = yov::SceneScript{};
    yov::scriptReader().S.SectionCount = 0;  // no script read
    yov::ResetSections();
    // A line's parameters left by the last script read would answer the next test's reads.
    yov::paramTable().ClearParams();
}

yov::SectRec& MakeSect(int32_t n) {
    yov::SceneScript& s = yov::scriptReader().S;
    while (s.SectionCount < n) {
        ++s.SectionCount;
        yov::SectRec r;
        r.Number = s.SectionCount;
        r.FinishMode = 3;
        if (static_cast<int32_t>(s.Sections.size()) <= s.SectionCount)
            s.Sections.resize(static_cast<size_t>(s.SectionCount) + 1);
        s.Sections[static_cast<size_t>(s.SectionCount)] = r;
    }
    return yov::sectRec(n);
}

}  // namespace show_test
