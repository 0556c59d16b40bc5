@echo off
rem Installs quolmerBackup from the folder this script lies in. From a command prompt opened as
rem administrator:   install.cmd ACCOUNT [FOLDER]
rem FOLDER, C:\quolmerBackup unless given, is made so that only Administrators and SYSTEM may
rem change it and every user may read and run it: nobody else can replace the program that the
rem tasks start with ACCOUNT's rights. ACCOUNT may change backup.ini alone. backup.ini is made
rem from the sample only when absent, so installing a new version over the old one keeps it; so is
rem mysqldump.cnf, the dump client's options and MySQL's password, which only Administrators,
rem SYSTEM and ACCOUNT may read. The event source quolmerBackup is registered, so that Event Viewer
rem shows the program's events with its own texts.
setlocal EnableExtensions DisableDelayedExpansion
set "account=%~1"
set "folder=%~2"
if not defined folder set "folder=C:\quolmerBackup"
rem A full path without a trailing backslash, which would escape the quote that closes the folder
rem on the command lines below.
for %%i in ("%folder%") do set "folder=%%~fi"
if "%folder:~-1%"=="\" set "folder=%folder:~0,-1%"
set "source=%~dp0"
set "source_key=HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\quolmerBackup"
set "files=quolmerBackup.exe README.txt backup.ini.sample mysqldump.cnf.sample quolmerBackup-principal.xml quolmerBackup-secundario.xml uninstall.cmd"
rem All an earlier install (in place: the unpacked folder itself), its runs and uninstall.cmd may
rem have left in the folder: those every user may read, and the option file.
set "public=%files% install.cmd backup.ini Error.log"
set "ours=%public% mysqldump.cnf"
if not defined account goto usage
if "%folder:~1%"==":" goto drive_root

rem Only an elevated administrator may list the file system's filters: a test for one that, unlike
rem listing the sessions, works without the Server service.
fltmc >nul 2>&1
if errorlevel 1 goto not_admin

rem The folder's permissions pass on to all it holds: it must hold nothing but what an earlier
rem install left, whoever made it.
set "failed="
call :other_files
if defined other goto not_ours

echo Installing quolmerBackup into "%folder%", its tasks running as "%account%".
rem Every step is checked by the error level it leaves (mkdir by what it made), outside loops:
rem some versions of cmd, Wine's among them, run what follows || after success as well, and go on
rem with a loop that a goto left.
if not exist "%folder%\" (
  mkdir "%folder%"
  if not exist "%folder%\" goto failed
  echo   made the folder
)
rem Resetting the folder gives it for a moment the permissions of the folder above: the files
rem already there are first given their final ones of their own, so that they take none of those.
for %%f in (%public%) do if exist "%folder%\%%f" call :close %%f
if defined failed goto failed
if exist "%folder%\mysqldump.cnf" call :private
if defined failed goto failed
rem An owner may change permissions: Administrators first. Then no entry of its own survives, such
rem as one for Everyone that the files would inherit; then the groups by their SIDs, whose names
rem change with the language of Windows: Administrators S-1-5-32-544, SYSTEM S-1-5-18, Users
rem S-1-5-32-545.
icacls "%folder%" /setowner "*S-1-5-32-544" >nul
if errorlevel 1 goto failed
icacls "%folder%" /reset >nul
if errorlevel 1 goto failed
icacls "%folder%" /inheritance:r /grant:r "*S-1-5-32-544:(OI)(CI)F" "*S-1-5-18:(OI)(CI)F" "*S-1-5-32-545:(OI)(CI)RX" >nul
if errorlevel 1 goto failed
rem Run from the installed folder, there is nothing to copy: a file copied onto itself fails.
if /i "%source%"=="%folder%\" goto copied
for %%f in (%files%) do (
  copy /y "%source%%%f" "%folder%\%%f" >nul
  if errorlevel 1 set "failed=1"
)
if defined failed goto failed
echo   copied the program, README.txt, the samples, the task definitions and uninstall.cmd
:copied
if exist "%folder%\backup.ini" (
  echo   kept backup.ini
) else (
  copy "%folder%\backup.ini.sample" "%folder%\backup.ini" >nul
  if errorlevel 1 goto failed
  echo   made backup.ini from backup.ini.sample: set the destination folders in it
)
rem The sample holds no password yet, so its copy may be readable for the moment before its own
rem permissions are set.
if exist "%folder%\mysqldump.cnf" (
  echo   kept mysqldump.cnf
) else (
  copy "%folder%\mysqldump.cnf.sample" "%folder%\mysqldump.cnf" >nul
  if errorlevel 1 goto failed
  echo   made mysqldump.cnf from mysqldump.cnf.sample: MySQL's root password goes there
)
call :private
if defined failed goto failed
echo   only Administrators, SYSTEM and "%account%" may read mysqldump.cnf
rem The program's other files take the folder's permissions alone, and an owner, who could change
rem them, that is no other user.
for %%f in (%public%) do if exist "%folder%\%%f" call :own %%f
if defined failed goto failed
rem Since the folder took its permissions nobody else can add to it; what came in the moment
rem before is not the program's.
call :other_files
if defined other goto appeared
echo   only Administrators and SYSTEM may change the folder; Users may read and run it
icacls "%folder%\backup.ini" /grant "%account%:M" >nul
if errorlevel 1 goto failed
echo   "%account%" may change backup.ini
reg add "%source_key%" /v EventMessageFile /t REG_EXPAND_SZ /d "%folder%\quolmerBackup.exe" /f >nul
if errorlevel 1 goto failed
reg add "%source_key%" /v TypesSupported /t REG_DWORD /d 7 /f >nul
if errorlevel 1 goto failed
echo   registered the event source quolmerBackup: Event Viewer, Windows Logs, Application
if /i not "%folder%"=="C:\quolmerBackup" call :definitions_for_folder
if errorlevel 1 goto failed
call :register principal
if errorlevel 1 goto failed
call :register secundario
if errorlevel 1 goto failed
echo Done. Set the destination folders in "%folder%\backup.ini", and MySQL's root password,
echo once it has one, in "%folder%\mysqldump.cnf".
exit /b 0

rem The shipped task definitions name C:\quolmerBackup. PowerShell puts the folder in its place
rem where that is a whole folder name (an install in place meets its own definitions again, and
rem C:\quolmerBackup2 begins with it), escaped for XML, and writes them back in UTF-16 as the Task
rem Scheduler reads them; the folder goes through the environment, so that no quoting stands in
rem its way.
:definitions_for_folder
set "QB_FOLDER=%folder%"
powershell -NoProfile -NonInteractive -Command "$e = [Security.SecurityElement]::Escape($env:QB_FOLDER); foreach ($d in 'principal', 'secundario') { $f = Join-Path $env:QB_FOLDER ('quolmerBackup-' + $d + '.xml'); $t = [IO.File]::ReadAllText($f).Replace('>C:\quolmerBackup\', '>' + $e + '\').Replace('>C:\quolmerBackup<', '>' + $e + '<'); [IO.File]::WriteAllText($f, $t, [Text.Encoding]::Unicode) }"
if errorlevel 1 exit /b 1
echo   wrote the task definitions for "%folder%"
exit /b 0

rem Sets "other" to a file or folder in the folder that no install leaves there.
:other_files
set "other="
if exist "%folder%\" for /f "eol=: delims=" %%e in ('dir /b /a "%folder%" 2^>nul') do (
  set "entry=%%e"
  call :other_file
)
exit /b 0

:other_file
set "known="
for %%f in (%ours%) do if /i "%%f"=="%entry%" set "known=1"
if not defined known set "other=%entry%"
exit /b 0

rem The file %1 with the folder's final permissions as its own, and Administrators its owner.
:close
icacls "%folder%\%1" /setowner "*S-1-5-32-544" >nul
if errorlevel 1 set "failed=1"
icacls "%folder%\%1" /inheritance:r /grant:r "*S-1-5-32-544:F" "*S-1-5-18:F" "*S-1-5-32-545:RX" >nul
if errorlevel 1 set "failed=1"
exit /b 0

rem mysqldump.cnf readable by Administrators, SYSTEM and the account alone, whatever the folder
rem lets others do, and Administrators its owner. An account given to an earlier install keeps
rem its right (README.txt says how to take it away): a reset would let every user read the file
rem for a moment.
:private
icacls "%folder%\mysqldump.cnf" /setowner "*S-1-5-32-544" >nul
if errorlevel 1 set "failed=1"
icacls "%folder%\mysqldump.cnf" /inheritance:r /grant:r "*S-1-5-32-544:F" "*S-1-5-18:F" "%account%:R" >nul
if errorlevel 1 set "failed=1"
exit /b 0

rem The folder's permissions alone for the file %1, and Administrators its owner.
:own
icacls "%folder%\%1" /reset >nul
if errorlevel 1 set "failed=1"
icacls "%folder%\%1" /setowner "*S-1-5-32-544" >nul
if errorlevel 1 set "failed=1"
exit /b 0

rem Each registration asks for the account's password. Registering again replaces a task.
:register
schtasks /Create /XML "%folder%\quolmerBackup-%1.xml" /TN quolmerBackup-%1 /RU "%account%" /RP * /F
if errorlevel 1 exit /b 1
echo   registered the task quolmerBackup-%1
exit /b 0

:usage
echo Usage: install.cmd ACCOUNT [FOLDER]
echo   ACCOUNT  the account the backups run as, for example %COMPUTERNAME%\backup; it must be
echo            able to write the destination folders and reach the database server. Its
echo            password is asked for twice, once for each of the two tasks.
echo   FOLDER   where the program goes; C:\quolmerBackup unless given.
exit /b 2

:drive_root
echo install.cmd: "%folder%\" is the root of a drive; give a folder for the program, such as
echo %folder%\quolmerBackup. Nothing was changed.
exit /b 1

:not_ours
echo install.cmd: "%folder%" holds other files than an install of quolmerBackup ("%other%"
echo among them), and the program's permissions would pass on to them: give a new or empty
echo folder. Nothing was changed.
exit /b 1

:appeared
echo install.cmd: "%other%" appeared in "%folder%" while its permissions were set: whoever put it
echo there could change it. Delete it and run install.cmd again.
exit /b 1

:not_admin
echo install.cmd: run it from a command prompt opened as administrator (Command Prompt, right
echo click, "Run as administrator"). Nothing was changed.
exit /b 1

:failed
echo install.cmd: stopped, the step above failed. Run it again once that is mended.
exit /b 1
