#include "pipeline/viewer_state.h"

ViewerState& viewer_state()
{
    static ViewerState state;
    return state;
}
