// What each program of the suite says for --help: its job, its arguments and
// the files it reads and writes. Paths are the installation's own
// (\QUORVANT\ is the install folder, see QUORVANT_ROOT below).
#include "common/front_door.h"

namespace qv {

const std::string_view environment_help =
    "Environment:\n"
    "  QUORVANT_ROOT          the folder that stands for \\QUORVANT\\ (default: the working directory)\n"
    "  QUORVANT_DRIVE_X       the folder that stands for drive X: in paths (default: /)\n"
    "  QUORVANT_TODAY         YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS in place of the system clock\n"
    "  QUORVANT_SYNC=1        programs started without waiting are waited for\n"
    "  QUORVANT_FSYNC=1       replaced database files are synced to the disk\n"
    "  QUORVANT_EXIT_STATUS=1 exit 1 after a fatal error, a merge problem or a skipped output\n"
    "                         (without it every program exits 0)\n"
    "\n"
    "--help, -h, -?, /? show this text and --version the version; neither touches a file.\n";

const ProgramAbout updater_about{
    "QUORUP", "5.5", "QUORUP [/M]",
    "The updater: merges the received update files of the update folder into the CLC,\n"
    "COT and IDX databases (IDX, then CLC, then COT, oldest first), broadcasts the new\n"
    "days into the autobuild outputs listed in BCAST.TXT, collects the bulletins into\n"
    "QUORUP.MSG and hands over to the batch file TEMPZIP.BAT, which rebuilds rolled\n"
    "outputs (DFORGE $ROLL), runs DFANOUT and shows the messages (BULSHOW).\n"
    "Arguments are ignored (the front end passes /M).\n"
    "\n"
    "Reads:   \\QUORVANT\\TABLES.INI, \\QUORVANT\\QUORUP.INI, HOLIDAYS.QVT, BCAST.TXT,\n"
    "         the update files ?U??????.CLC/.COT/.IDX and EX??????.CLC of the update folder\n"
    "Writes:  \\QUORVANT\\CLC\\, \\QUORVANT\\COT\\, \\QUORVANT\\IDX\\ (through TEMP_*.QVT work files),\n"
    "         \\QUORVANT\\QUORUP.MSG, $ROLL, TEMPZIP.BAT, the autobuild outputs; renames merged\n"
    "         update files to ?B or ?_ and deletes old ones\n"};

const ProgramAbout builder_about{
    "DFORGE", "10.0", "DFORGE $BUILDFILE",
    "The output builder: builds the ASCII files and MetaStock series that a build file\n"
    "describes, from the CLC, COT and IDX databases.\n"
    "$BUILDFILE  the build file; its name begins with $. It is looked for in the working\n"
    "            directory, then in \\QUORVANT\\AUTO\\. $ROLL is the updater's list of\n"
    "            outputs to rebuild after a rollover; it is deleted once the run has\n"
    "            gone through it, else the next update builds it again.\n"
    "\n"
    "Reads:   the build file, \\QUORVANT\\TABLES.INI, \\QUORVANT\\HOLIDAYS.QVT,\n"
    "         \\QUORVANT\\LASTMAP.QVT, COT.HDG, CLC.HDG, META13.TXT, the databases\n"
    "Writes:  the outputs the build file names, \\QUORVANT\\BCAST.TXT (the build file is\n"
    "         added to the autobuild list), the work files TEMP0000.QVT and TEMP0001.QVT\n"};

const ProgramAbout distributor_about{
    "DFANOUT", "3.0", "DFANOUT",
    "The distributor: appends each waiting individual-contract update file EU??????.CLC,\n"
    "oldest first, to the user's ASCII files and MetaStock folders named by the masks of\n"
    "QUORUP.INI, renames it to E_, records the newest date as EU LAST DATE and starts\n"
    "MKPICKS when FAVOR.ASC or FAVOR.MS exists; with no update file waiting, it starts\n"
    "MKPICKS only for the favourites a stopped run left (FAVOR.PND). Takes no arguments.\n"
    "\n"
    "Reads:   \\QUORVANT\\TABLES.INI, HOLIDAYS.QVT, \\QUORVANT\\QUORUP.INI, the update folder\n"
    "Writes:  the user's ASCII files and MetaStock folders, \\QUORVANT\\QUORUP.INI (keeping\n"
    "         QUORUP.BAK), \\QUORVANT\\QUORUP.MSG, \\QUORVANT\\FAVOR.PND (the favourites\n"
    "         to be copied, removed by MKPICKS)\n"};

const ProgramAbout request_about{
    "PREQUOR", "", "PREQUOR",
    "The request preparation: works out which daily, weekly and monthly update files the\n"
    "database still lacks and writes the request file for the download. Takes no\n"
    "arguments.\n"
    "\n"
    "Reads:   \\QUORVANT\\TABLES.INI, HOLIDAYS.QVT, \\QUORVANT\\QUORUP.INI, the databases,\n"
    "         the update folder\n"
    "Writes:  \\QUORVANT\\NEEDFIL2.TXT; \\QUORVANT\\QUORUP.ERR when it fails\n"};

const ProgramAbout favorites_about{
    "MKPICKS", "", "MKPICKS",
    "The favourites builder: copies the contracts the user picked in FAVOR.ASC and\n"
    "FAVOR.MS into a favourites folder beside the user's ASCII and MetaStock roots.\n"
    "Takes no arguments.\n"
    "\n"
    "Reads:   \\QUORVANT\\TABLES.INI, \\QUORVANT\\FAVOR.ASC, \\QUORVANT\\FAVOR.MS, QUORUP.INI\n"
    "Writes:  the favourites folders; removes \\QUORVANT\\FAVOR.PND, DFANOUT's mark\n"};

const ProgramAbout postdownload_about{
    "POSTQUOR", "", "POSTQUOR",
    "The post-download processing: deletes empty update files, appends the vendor's\n"
    "SYSTEM.MSG to QUORUP.MSG and runs the updater (QUORUP /M). Takes no arguments.\n"
    "\n"
    "Reads:   \\QUORVANT\\TABLES.INI, HOLIDAYS.QVT, \\QUORVANT\\SYSTEM.MSG, the update folder\n"
    "Writes:  \\QUORVANT\\QUORUP.MSG; \\QUORVANT\\merge.bat when its own start fails\n"};

const ProgramAbout roll_about{
    "roll", "2.9", "roll",
    "The rollover report: lists each commodity's contract in force, the days to its next\n"
    "roll and the next contract. Takes no arguments.\n"
    "\n"
    "Reads:   \\QUORVANT\\TABLES.INI, HOLIDAYS.QVT, the CLC database\n"
    "Writes:  \\QUORVANT\\ROLLSHOW.TXT, \\QUORVANT\\ROLLPRNT.TXT\n"};

const ProgramAbout clcconv_about{
    "clcconv", "1.9", "clcconv [/1 | /2] [/TAG ...]",
    "The CLC converter: turns CLC database files into editable ASCII files and such files\n"
    "back into binary CLC files. Without /1 or /2 it shows a menu.\n"
    "/1     CLC database to ASCII: \\QUORVANT\\CLC\\xx_CLC.QVT to \\QUORVANT\\CLC\\TEMP\\xx_CLC.ASC\n"
    "/2     ASCII back to binary: \\QUORVANT\\CLC\\TEMP\\xx_CLC.ASC to \\QUORVANT\\CLC\\TEMP\\xx_CLC.BIN\n"
    "/TAG   only the commodity of that tag (/GC /W_); every commodity without one\n"
    "The database itself is never overwritten.\n"
    "\n"
    "Reads:   \\QUORVANT\\TABLES.INI, \\QUORVANT\\CLC\\ or \\QUORVANT\\CLC\\TEMP\\\n"
    "Writes:  \\QUORVANT\\CLC\\TEMP\\\n"};

const ProgramAbout qbatch_about{
    "qbatch", "", "qbatch BATCHFILE",
    "Runs a batch file line by line with the suite's own command interpreter (no shell):\n"
    "MKDIR, MD, ATTRIB -R, ERASE, DEL, START, CALL, ECHO, other batch files and the\n"
    "suite's programs. The updater ends by handing its process over to qbatch TEMPZIP.BAT.\n"
    "\n"
    "Reads:   the batch file\n"
    "Writes:  what its lines do\n"};

const ProgramAbout bulshow_about{
    "BULSHOW", "", "BULSHOW",
    "The bulletin viewer: prints the message file, which the updater's batch file shows\n"
    "at the end of a run. Takes no arguments.\n"
    "\n"
    "Reads:   \\QUORVANT\\QUORUP.MSG\n"
    "Writes:  nothing\n"};

const ProgramAbout conquit_about{
    "CONQUIT", "", "CONQUIT [ARGUMENTS]",
    "The console closer: there is no console window to close on Linux, so it does nothing\n"
    "and lets its caller go on. Its arguments are ignored.\n"
    "\n"
    "Reads:   nothing\n"
    "Writes:  nothing\n"};

}  // namespace qv
