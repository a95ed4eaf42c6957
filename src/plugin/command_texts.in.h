// Texts in UTF-8; the build turns them into code page 932 literals.
#pragma once

// The six script commands and their argument templates, in registration order.
inline constexpr char command_name_init[] = "WT初期化";
inline constexpr char command_name_dispose[] = "WT破棄";
inline constexpr char command_name_enable[] = "WT有効";
inline constexpr char command_name_disable[] = "WT無効";
inline constexpr char command_name_set_event[] = "WT受信イベント設定";
inline constexpr char command_name_info[] = "WT情報取得";
static_assert(sizeof(command_name_init) - 1 == 8);
static_assert(sizeof(command_name_dispose) - 1 == 6);
static_assert(sizeof(command_name_enable) - 1 == 6);
static_assert(sizeof(command_name_disable) - 1 == 6);
static_assert(sizeof(command_name_set_event) - 1 == 18);
static_assert(sizeof(command_name_info) - 1 == 10);

inline constexpr char template_init[] = "{文字列=?}OPTIONで";
inline constexpr char template_set_event[] = "FUNCNAMEを";
inline constexpr char template_none[] = "";
static_assert(sizeof(template_init) - 1 == 18);
static_assert(sizeof(template_set_event) - 1 == 10);

// What PluginInfo answers: 17 bytes, "wintab " and five double-byte characters.
inline constexpr char plugin_description[] = "wintab プラグイン";
static_assert(sizeof(plugin_description) - 1 == 17);
