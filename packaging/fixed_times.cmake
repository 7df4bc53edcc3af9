# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack after it installed the packages' files and before it packs
# them: every file and folder gets one time, SOURCE_DATE_EPOCH or else noon
# of the release date, and so do the archives cpack then writes (it reads
# SOURCE_DATE_EPOCH), so that two builds of the same sources give the same
# packages, whatever is added to them later.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_KORVEL_RELEASE_EPOCH})
endif()
execute_process(COMMAND find ${CPACK_TEMPORARY_INSTALL_DIRECTORY} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
                COMMAND_ERROR_IS_FATAL ANY)
