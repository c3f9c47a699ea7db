#include "program/scene/part_area.h"

#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/picture_build_state.h"

namespace yov {

PartArea CurrentPartArea() {
    PicPartPool& pool = picParts();
    if (pool.CurPart < 1 || !pool.valid(pool.CurPart)) return {};
    const PicPart& part = pool[pool.CurPart];
    return {pictureBuildState().PartOriginX, part.PartY, part.Width, part.PartHeight};
}

}  // namespace yov
