#pragma once

#include <QTextBrowser>

namespace dwfm {

// The preview pane's text browser. Pictures are drawn scaled down to the pane's width, and
// never wider than the style sheet's 400 pixels; a picture is never drawn larger than it
// is. A change of width that changes that limit draws the page again.
class PreviewTextBrowser : public QTextBrowser {
    Q_OBJECT
public:
    // The style sheet's widest picture.
    static constexpr int MaxPictureWidth = 400;

    explicit PreviewTextBrowser(QWidget *parent = nullptr);

    QVariant loadResource(int type, const QUrl &name) override;
    // The width a picture is drawn at most, now.
    int pictureWidthLimit() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_shownLimit = 0;
};

} // namespace dwfm
