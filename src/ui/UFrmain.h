#pragma once

#include <QMainWindow>
#include <QString>

// The note identities passed from one event of the main window to a later one.
extern QString CurrentNodeId; // the row last clicked in the folder tree
extern QString EditedNodeId;  // the article whose text the editors hold edited

class TFrmain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmain(QWidget *parent = nullptr);
    ~TFrmain() override;
};

extern TFrmain *Frmain;
