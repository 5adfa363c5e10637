// A spinning cube: eight corners rotated by three angles in whole degrees,
// drawn as edges or as shaded faces, the corner farthest back hidden.
// With Continuous on, a timer advances the angles of the axes that spin.
#pragma once

#include <QColor>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <array>

class TCubeSpin : public QWidget {
    Q_OBJECT

public:
    enum Option {
        cdoErase = 1 << 0,  // fill the background at every painting
        cdoHide = 1 << 1,   // parallel projection, the rearmost corner hidden
        cdoDblBuf = 1 << 2, // draw off screen first
        cdoAuto = 1 << 3,
        cdoFaces = 1 << 4,  // filled faces instead of edges (implies cdoHide)
        cdoShade = 1 << 5,  // faces darker the more they turn away
        cdoColor = 1 << 6,  // shaded in blue instead of grey
    };
    Q_DECLARE_FLAGS(Options, Option)

    struct Corner {
        int x = 0, y = 0, z = 0;
    };

    explicit TCubeSpin(QWidget *parent = nullptr);

    int XSpin() const { return m_angle[0]; }
    int YSpin() const { return m_angle[1]; }
    int ZSpin() const { return m_angle[2]; }
    void setXSpin(int degrees) { setAngle(0, degrees); }
    void setYSpin(int degrees) { setAngle(1, degrees); }
    void setZSpin(int degrees) { setAngle(2, degrees); }

    Options options() const { return m_options; }
    void setOptions(Options options);

    bool Continuous() const { return m_timer.isActive(); }
    void setContinuous(bool on);
    int SpinInc = 5;
    bool XSpinOn = true, YSpinOn = false, ZSpinOn = true;
    QColor Color = Qt::black;

    // Half the cube's edge in pixels: a quarter of the smaller side.
    // Follows the control's size.
    int scale() const;
    // One step: the spinning angles advance by SpinInc.
    void step();
    // The corners rotated by the current angles, relative to the centre.
    std::array<Corner, 8> rotatedCorners() const;
    // The index of the hidden corner (the one with the smallest depth).
    static int hiddenCorner(const std::array<Corner, 8> &corners);
    // The brightness of a face whose corners span `depthRange` in depth.
    static int faceBrightness(int depthRange, int s);

    QImage render();

signals:
    void spun();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setAngle(int axis, int degrees);
    void paintCube(QPainter &painter);

    std::array<int, 3> m_angle{};
    Options m_options;
    bool m_painted = false;
    QTimer m_timer;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TCubeSpin::Options)
