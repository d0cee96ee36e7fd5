#pragma once

#include <QLabel>

// A picture decoded the first time it is shown, so that one hidden at start
// costs nothing until then.
class Picture : public QLabel
{
    Q_OBJECT
public:
    Picture(const QString &resource, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_resource;
};
