#include "ui/ui_state.h"

UiState& ui_state()
{
    static UiState state;
    return state;
}
