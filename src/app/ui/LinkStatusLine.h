#pragma once

#include "skin/ui/SkinClient.h"

#include <QAbstractButton>
#include <QWidget>

// The main window's status line: what happened to the link and when, in the
// skin's colours and font, with a Stop button while reconnecting. It sits
// between the meters and the page area and hides itself when it has nothing
// to say.
class CLinkStatusLine : public QWidget, public CSkinClient {
    Q_OBJECT
public:
    CLinkStatusLine(CSkinManager& manager, QWidget* parent);
    ~CLinkStatusLine() override;

    void Show(const QString& text, bool stoppable);
    QString Text() const { return text_; }
    QAbstractButton& StopButton() const { return *stop_; }

    void ApplySkin() override;

signals:
    void StopClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void PlaceStopButton();

    QString text_;
    QAbstractButton* stop_;
    bool stopPlaced_ = false;
};
