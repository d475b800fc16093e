#pragma once
#include <QPushButton>
#include <QString>

namespace tunewell::widgets {

// The program's push button. `Caption` is the text on the button; `Tag` is
// free text the owner keeps on it (the download button keeps its run state
// there). Drawing lives in paintEvent only, so a skin can replace it.
class SkinButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString Tag READ Tag WRITE SetTag)

public:
    explicit SkinButton(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    QString Tag() const { return tag_; }
    void SetTag(const QString& tag) { tag_ = tag; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString tag_;
};

}  // namespace tunewell::widgets
