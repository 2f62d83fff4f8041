// TTrackBarSlim, the slim horizontal track bar of the parents' options dialog.
#include "sound/TrackBarSlim.h"

TTrackBarSlim::TTrackBarSlim(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    // Automatic ticks: one for each position, below the channel.
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    setSingleStep(1);
    setPageStep(1);
    setFocusPolicy(Qt::StrongFocus);
}

TTrackBarSlim::~TTrackBarSlim() = default;
