// TTrackBarSlim, the slim horizontal track bar of the parents' options dialog.
#pragma once

#include <QSlider>

// A horizontal track bar with one tick a position below it and nothing else: no selection
// channel, no frame, no fixed-length thumb. It takes part in the Tab order.
class TTrackBarSlim : public QSlider {
    Q_OBJECT
public:
    explicit TTrackBarSlim(QWidget *parent = nullptr);
    ~TTrackBarSlim() override;
};
