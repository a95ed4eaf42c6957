// Texts of the information report, in UTF-8; the build turns them into code page 932 literals. Lines below the
// first level begin with an ideographic space, which belongs to their label.
#pragma once

// First-level lines.
inline constexpr char report_dll_label[] = "wintabのDLL:";
static_assert(sizeof(report_dll_label) - 1 == 12);
inline constexpr char report_no_info_function_line[] = "情報取得関数:×\r\n";
static_assert(sizeof(report_no_info_function_line) - 1 == 17);
inline constexpr char report_driver_name_label[] = "ドライバの名称:";
static_assert(sizeof(report_driver_name_label) - 1 == 15);
inline constexpr char report_no_device_line[] = "状態:デバイスが接続されていません\r\n";
static_assert(sizeof(report_no_device_line) - 1 == 35);
inline constexpr char report_device_number_label[] = "デバイスの番号:";
static_assert(sizeof(report_device_number_label) - 1 == 15);
inline constexpr char report_cursor_number_label[] = "カーソルの番号:";
static_assert(sizeof(report_cursor_number_label) - 1 == 15);

// Interface section.
inline constexpr char report_spec_version_label[] = "　仕様バージョン:";
static_assert(sizeof(report_spec_version_label) - 1 == 17);
inline constexpr char report_impl_version_label[] = "　実装バージョン:";
static_assert(sizeof(report_impl_version_label) - 1 == 17);
inline constexpr char report_device_count_label[] = "　サポートしているデバイスの数:";
static_assert(sizeof(report_device_count_label) - 1 == 31);
inline constexpr char report_cursor_count_label[] = "　サポートしているカーソル(ペンや消しゴムやマウス)の数:";
static_assert(sizeof(report_cursor_count_label) - 1 == 55);
inline constexpr char report_context_count_label[] = "　サポートしているコンテキスト(作業領域)の数:";
static_assert(sizeof(report_context_count_label) - 1 == 45);
inline constexpr char report_context_options_label[] = "　サポートしているコンテキストオプション:";
static_assert(sizeof(report_context_options_label) - 1 == 41);

// Device section.
inline constexpr char report_device_name_label[] = "　デバイスの名称:";
static_assert(sizeof(report_device_name_label) - 1 == 17);
inline constexpr char report_hardware_label[] = "　ハードの持つ能力:";
static_assert(sizeof(report_hardware_label) - 1 == 19);
inline constexpr char report_cursor_range_label[] = "　サポートしているカーソルの番号の範囲:";
static_assert(sizeof(report_cursor_range_label) - 1 == 39);
inline constexpr char report_first_cursor_label[] = "　サポートしているカーソルの最初の番号:";
static_assert(sizeof(report_first_cursor_label) - 1 == 39);
inline constexpr char report_cursor_types_label[] = "　サポートしているカーソルの数:";
static_assert(sizeof(report_cursor_types_label) - 1 == 31);
inline constexpr char report_x_axis_label[] = "　Ｘ軸の範囲:";
static_assert(sizeof(report_x_axis_label) - 1 == 13);
inline constexpr char report_y_axis_label[] = "　Ｙ軸の範囲:";
static_assert(sizeof(report_y_axis_label) - 1 == 13);
inline constexpr char report_pressure_label[] = "　筆圧の検出:";
static_assert(sizeof(report_pressure_label) - 1 == 13);
inline constexpr char report_wheel_label[] = "　エアブラシのホイール:";
static_assert(sizeof(report_wheel_label) - 1 == 23);
inline constexpr char report_tilt_label[] = "　ペンの傾きの検出:";
static_assert(sizeof(report_tilt_label) - 1 == 19);
inline constexpr char report_rotation_label[] = "　4D Mouse Rotation:";
static_assert(sizeof(report_rotation_label) - 1 == 20);
inline constexpr char report_thumbwheel_label[] = "　4D Mouse ThumbWheel:";
static_assert(sizeof(report_thumbwheel_label) - 1 == 22);

// Cursor section.
inline constexpr char report_cursor_name_label[] = "　カーソルの名称:";
static_assert(sizeof(report_cursor_name_label) - 1 == 17);
inline constexpr char report_connection_label[] = "　接続状態:";
static_assert(sizeof(report_connection_label) - 1 == 11);
inline constexpr char report_packet_data_label[] = "　取得可能な情報:";
static_assert(sizeof(report_packet_data_label) - 1 == 17);
inline constexpr char report_button_count_label[] = "　サポートしているボタンの数:";
static_assert(sizeof(report_button_count_label) - 1 == 29);
inline constexpr char report_pressure_button_label[] = "　筆圧のボタン番号:";
static_assert(sizeof(report_pressure_button_label) - 1 == 19);
inline constexpr char report_tangent_button_label[] = "　エアブラシ/バレルのボタン番号:";
static_assert(sizeof(report_tangent_button_label) - 1 == 32);
inline constexpr char report_capabilities_label[] = "　機能:";
static_assert(sizeof(report_capabilities_label) - 1 == 7);
inline constexpr char report_cursor_mode_label[] = "　カーソルモード番号:";
static_assert(sizeof(report_cursor_mode_label) - 1 == 21);

// Marks.
inline constexpr char report_mark_yes[] = "○";
static_assert(sizeof(report_mark_yes) - 1 == 2);
inline constexpr char report_mark_no[] = "×";
static_assert(sizeof(report_mark_no) - 1 == 2);
inline constexpr char report_mark_unanswered[] = "－";
static_assert(sizeof(report_mark_unanswered) - 1 == 2);
inline constexpr char report_mark_unknown_resolution[] = "？";
static_assert(sizeof(report_mark_unknown_resolution) - 1 == 2);
inline constexpr char report_mark_unusable[] = "△(本プラグインでは使えません)";
static_assert(sizeof(report_mark_unusable) - 1 == 30);
inline constexpr char report_mark_none[] = "なし";
static_assert(sizeof(report_mark_none) - 1 == 4);
inline constexpr char report_mark_connected[] = "接続";
static_assert(sizeof(report_mark_connected) - 1 == 4);
inline constexpr char report_mark_disconnected[] = "切断";
static_assert(sizeof(report_mark_disconnected) - 1 == 4);

// Flag labels; each ends with its blank.
inline constexpr char report_option_system[] = "システム ";
inline constexpr char report_option_pen[] = "ペン ";
inline constexpr char report_option_messages[] = "メッセージによる通知 ";
inline constexpr char report_option_margin[] = "マージン ";
inline constexpr char report_option_margin_inside[] = "内部マージン ";
inline constexpr char report_option_cursor_messages[] = "カーソル変更メッセージ ";
static_assert(sizeof(report_option_system) + sizeof(report_option_pen) + sizeof(report_option_messages) +
                  sizeof(report_option_margin) + sizeof(report_option_margin_inside) +
                  sizeof(report_option_cursor_messages) - 6 ==
              9 + 5 + 21 + 9 + 13 + 23);

inline constexpr char report_hardware_integrated[] = "液晶タブレット ";
inline constexpr char report_hardware_touch[] = "カーソルの位置測定には接触が必要 ";
inline constexpr char report_hardware_proximity[] = "空中でのカーソルの認識の通知が可能 ";
inline constexpr char report_hardware_physical_id[] = "カーソルの持つ固有IDを識別可能 ";
static_assert(sizeof(report_hardware_integrated) + sizeof(report_hardware_touch) +
                  sizeof(report_hardware_proximity) + sizeof(report_hardware_physical_id) - 4 ==
              15 + 33 + 35 + 31);

inline constexpr char report_packet_context[] = "コンテキスト ";
inline constexpr char report_packet_status[] = "状態 ";
inline constexpr char report_packet_time[] = "時刻 ";
inline constexpr char report_packet_changed[] = "変化項目 ";
inline constexpr char report_packet_serial[] = "連番 ";
inline constexpr char report_packet_cursor[] = "カーソル番号 ";
inline constexpr char report_packet_buttons[] = "ボタン状態 ";
inline constexpr char report_packet_x[] = "Ｘ軸 ";
inline constexpr char report_packet_y[] = "Ｙ軸 ";
inline constexpr char report_packet_z[] = "4DMouseThumbWheel ";
inline constexpr char report_packet_pressure[] = "筆圧 ";
inline constexpr char report_packet_tangent[] = "エアブラシ/バレル値 ";
inline constexpr char report_packet_orientation[] = "傾き 4DMouseRotation ";
inline constexpr char report_packet_rotation[] = "ROTATION ";
static_assert(sizeof(report_packet_context) + sizeof(report_packet_status) + sizeof(report_packet_time) +
                  sizeof(report_packet_changed) + sizeof(report_packet_serial) + sizeof(report_packet_cursor) +
                  sizeof(report_packet_buttons) + sizeof(report_packet_x) + sizeof(report_packet_y) +
                  sizeof(report_packet_z) + sizeof(report_packet_pressure) + sizeof(report_packet_tangent) +
                  sizeof(report_packet_orientation) + sizeof(report_packet_rotation) - 14 ==
              13 + 5 + 5 + 9 + 5 + 13 + 11 + 5 + 5 + 18 + 5 + 20 + 21 + 9);

inline constexpr char report_capability_multimode[] = "マルチモード ";
inline constexpr char report_capability_aggregate[] = "集合 ";
inline constexpr char report_capability_invert[] = "上下反転 ";
static_assert(sizeof(report_capability_multimode) + sizeof(report_capability_aggregate) +
                  sizeof(report_capability_invert) - 3 ==
              13 + 5 + 9);
