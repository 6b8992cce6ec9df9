#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The folder dialog: a new folder (Tag 0) under the folder `nid`, or at the
// top level, or a new title for the folder `nid` (Tag 1).
class TAdd : public QDialog {
    Q_OBJECT
public:
    explicit TAdd(QWidget *owner);
    ~TAdd() override;

    QLabel *Panel1;
    QLabel *Image1;
    QLabel *cxLabel1;
    QLineEdit *cxTextEdit1;
    QCheckBox *CheckBox1;
    QPushButton *cxButton1;
    QPushButton *cxButton2;

    QString nid;
    int Tag = 0;

public slots:
    void cxButton1Click();
    void cxButton2Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
