#include "UFrmain.h"

QString CurrentNodeId;
QString EditedNodeId;
TFrmain *Frmain = nullptr;

TFrmain::TFrmain(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Frmain"));
    setWindowTitle(QStringLiteral("Quillbox"));
    resize(836, 588);
}

TFrmain::~TFrmain() {
    CurrentNodeId.clear();
    EditedNodeId.clear();
}
