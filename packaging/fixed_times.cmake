# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack after it installed the packages' files and before it packs
# them: every file and folder gets one time, so that two builds of the same
# sources give the same packages, whatever is added to them later.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  set(epoch ${CPACK_KORVEL_RELEASE_EPOCH})
endif()
execute_process(COMMAND find ${CPACK_TEMPORARY_INSTALL_DIRECTORY} -exec touch -h -d @${epoch} {} +
                COMMAND_ERROR_IS_FATAL ANY)
