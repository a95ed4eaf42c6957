#include "plugin/command_table.h"

#include "plugin/command_texts.h"
#include "report/info_command.h"
#include "tablet/tablet_commands.h"

const CommandRow command_table[command_count] = {
    {command_name_init, template_init, cmd_wt_init},
    {command_name_dispose, template_none, cmd_wt_dispose},
    {command_name_enable, template_none, cmd_wt_enable},
    {command_name_disable, template_none, cmd_wt_disable},
    {command_name_set_event, template_set_event, cmd_wt_set_event},
    {command_name_info, template_none, cmd_wt_info},
};
