#pragma once

#include <QString>

// Column names of the note table. Names are matched without regard to case,
// so any spelling of these reaches the same column.
namespace NoteColumns {
inline const QString Table = QStringLiteral("delphi");
inline const QString NodeId = QStringLiteral("NodeId");
inline const QString ParentId = QStringLiteral("ParentId");
inline const QString Title = QStringLiteral("Title");
inline const QString Type = QStringLiteral("type");
inline const QString Info = QStringLiteral("info");
inline const QString DemoInfo = QStringLiteral("Demoinfo");
inline const QString RichInfo = QStringLiteral("Richinfo");
inline const QString CreateTime = QStringLiteral("CreateTime");
inline const QString Read = QStringLiteral("Read");
inline const QString Shuqian = QStringLiteral("shuqian");
inline const QString Turn = QStringLiteral("Turn");
} // namespace NoteColumns
