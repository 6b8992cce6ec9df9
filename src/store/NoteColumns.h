#pragma once

#include <QLatin1StringView>

// Column names of the note table. Names are matched without regard to case,
// so any spelling of these reaches the same column.
namespace NoteColumns {
inline constexpr QLatin1StringView Table{"delphi"};
inline constexpr QLatin1StringView NodeId{"NodeId"};
inline constexpr QLatin1StringView ParentId{"ParentId"};
inline constexpr QLatin1StringView Title{"Title"};
inline constexpr QLatin1StringView Type{"type"};
inline constexpr QLatin1StringView Info{"info"};
inline constexpr QLatin1StringView DemoInfo{"Demoinfo"};
inline constexpr QLatin1StringView RichInfo{"Richinfo"};
inline constexpr QLatin1StringView CreateTime{"CreateTime"};
inline constexpr QLatin1StringView Read{"Read"};
inline constexpr QLatin1StringView Shuqian{"shuqian"};
inline constexpr QLatin1StringView Turn{"Turn"};
} // namespace NoteColumns
