// A moving star field: points in a box of 2000 units a side, seen from the
// front through a simple perspective, near stars bright and far ones dark.
// The owner moves and rotates the field and repaints it (the information
// box does so every 30 milliseconds).
#pragma once

#include <QImage>
#include <QRandomGenerator>
#include <QWidget>

#include <vector>

class TStarField : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxStars = 1000;

    struct Star {
        double x = 0, y = 0, z = 0;
    };

    explicit TStarField(QWidget *parent = nullptr);

    // The number of stars, at most kMaxStars (larger values give that).
    int NumStars() const { return m_numStars; }
    void setNumStars(int count);
    // Percent; 100 draws the field at its natural size.
    int ZoomFactor() const { return m_zoom; }
    void setZoomFactor(int percent) { m_zoom = percent; }

    // Adds the offsets to every star.
    void moveStars(double dx, double dy, double dz);
    // Turns the field about (0, 0, 1000): about x by `ax`, then y by `ay`,
    // then z by `az` degrees.
    void rotateStars(double ax, double ay, double az);

    // The stars, created at the first painting (or by createStars).
    const std::vector<Star> &stars() const { return m_stars; }
    void createStars(quint32 seed);

    // Brings a coordinate into the box by whole steps of 2000: x and y into
    // -1000 to 1000, z into above 0 up to 2000.
    static Star wrapped(Star star);
    // The grey level (0 to 255) of a star at depth z: white near, black far.
    static int greyLevel(double z);
    // Where a star lands on a picture of `size` with the zoom in percent.
    static QPointF project(const Star &star, QSize size, int zoom);

    // The picture of the field as painted now.
    QImage render();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void createStars(QRandomGenerator &random);
    void wrapAll();

    std::vector<Star> m_stars;
    int m_numStars = 100;
    int m_zoom = 100;
    bool m_created = false;
    bool m_moved = false;
};
