@echo off
rem Installs quolmerBackup from the folder this script lies in. From a command prompt opened as
rem administrator:   install.cmd ACCOUNT [FOLDER]
rem FOLDER, C:\quolmerBackup unless given, is made so that only Administrators and SYSTEM may
rem change it and every user may read and run it: nobody else can replace the program that the
rem tasks start with ACCOUNT's rights. ACCOUNT may change backup.ini alone. backup.ini is made
rem from the sample only when absent, so installing a new version over the old one keeps it.
setlocal EnableExtensions DisableDelayedExpansion
set "account=%~1"
set "folder=%~2"
if not defined folder set "folder=C:\quolmerBackup"
rem A full path without a trailing backslash, which would escape the quote that closes the folder
rem on the command lines below.
for %%i in ("%folder%") do set "folder=%%~fi"
if "%folder:~-1%"=="\" set "folder=%folder:~0,-1%"
set "source=%~dp0"
set "files=quolmerBackup.exe README.txt backup.ini.sample quolmerBackup-principal.xml quolmerBackup-secundario.xml uninstall.cmd"
if not defined account goto usage
if "%folder:~1%"==":" goto drive_root

rem Only an administrator may see the sessions: the usual test for one.
net session >nul 2>&1
if errorlevel 1 goto not_admin

rem The folder's permissions pass on to all it holds: it must be new, empty or an earlier install.
set "other="
set "failed="
if exist "%folder%\" if not exist "%folder%\quolmerBackup.exe" for /f "delims=" %%e in ('dir /b /a "%folder%" 2^>nul') do set "other=%%e"
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
rem No entry of its own survives, such as one for Everyone that the files would inherit; then the
rem groups by their SIDs, whose names change with the language of Windows: Administrators
rem S-1-5-32-544, SYSTEM S-1-5-18, Users S-1-5-32-545.
icacls "%folder%" /reset >nul
if errorlevel 1 goto failed
icacls "%folder%" /inheritance:r /grant:r "*S-1-5-32-544:(OI)(CI)F" "*S-1-5-18:(OI)(CI)F" "*S-1-5-32-545:(OI)(CI)RX" >nul
if errorlevel 1 goto failed
icacls "%folder%" /setowner "*S-1-5-32-544" >nul
if errorlevel 1 goto failed
rem Run from the installed folder, there is nothing to copy: a file copied onto itself fails.
if /i "%source%"=="%folder%\" goto copied
for %%f in (%files%) do (
  copy /y "%source%%%f" "%folder%\%%f" >nul
  if errorlevel 1 set "failed=1"
)
if defined failed goto failed
echo   copied the program, README.txt, backup.ini.sample, the task definitions and uninstall.cmd
:copied
if exist "%folder%\backup.ini" (
  echo   kept backup.ini
) else (
  copy "%folder%\backup.ini.sample" "%folder%\backup.ini" >nul
  if errorlevel 1 goto failed
  echo   made backup.ini from backup.ini.sample: set the destination folders in it
)
rem The program's files take the folder's permissions alone, and an owner, who could change them,
rem that is no other user. What else the folder holds, such as backups, keeps its own.
for %%f in (%files% backup.ini) do call :own %%f
if defined failed goto failed
echo   only Administrators and SYSTEM may change the folder; Users may read and run it
icacls "%folder%\backup.ini" /grant "%account%:M" >nul
if errorlevel 1 goto failed
echo   "%account%" may change backup.ini
if /i not "%folder%"=="C:\quolmerBackup" call :definitions_for_folder
if errorlevel 1 goto failed
call :register principal
if errorlevel 1 goto failed
call :register secundario
if errorlevel 1 goto failed
echo Done. Set the destination folders in "%folder%\backup.ini".
exit /b 0

rem The shipped task definitions name C:\quolmerBackup. PowerShell puts the folder in their place,
rem escaped for XML, and writes them back in UTF-16 as the Task Scheduler reads them; the folder
rem goes through the environment, so that no quoting stands in its way.
:definitions_for_folder
set "QB_FOLDER=%folder%"
powershell -NoProfile -NonInteractive -Command "foreach ($d in 'principal', 'secundario') { $f = Join-Path $env:QB_FOLDER ('quolmerBackup-' + $d + '.xml'); $t = [IO.File]::ReadAllText($f).Replace('C:\quolmerBackup', [Security.SecurityElement]::Escape($env:QB_FOLDER)); [IO.File]::WriteAllText($f, $t, [Text.Encoding]::Unicode) }"
if errorlevel 1 exit /b 1
echo   wrote the task definitions for "%folder%"
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
echo install.cmd: "%folder%" holds other files ("%other%" among them) and no earlier install of
echo quolmerBackup, and the program's permissions would pass on to them: give a new or empty
echo folder. Nothing was changed.
exit /b 1

:not_admin
echo install.cmd: run it from a command prompt opened as administrator (Command Prompt, right
echo click, "Run as administrator"). Nothing was changed.
exit /b 1

:failed
echo install.cmd: stopped, the step above failed. Run it again once that is mended.
exit /b 1
