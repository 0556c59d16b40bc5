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
set "source=%~dp0"
if not defined account goto usage

rem Only an administrator may see the sessions: the usual test for one.
net session >nul 2>&1
if errorlevel 1 goto not_admin

echo Installing quolmerBackup into %folder%, its tasks running as %account%.
rem Every step is checked by the error level it leaves (mkdir by what it made): some versions of
rem cmd, Wine's among them, run what follows || after success as well.
if not exist "%folder%\" (
  mkdir "%folder%"
  if not exist "%folder%\" goto failed
  echo   made the folder
)
rem The groups by their SIDs, whose names change with the language of Windows: Administrators
rem S-1-5-32-544, SYSTEM S-1-5-18, Users S-1-5-32-545.
icacls "%folder%" /inheritance:r /grant:r "*S-1-5-32-544:(OI)(CI)F" "*S-1-5-18:(OI)(CI)F" "*S-1-5-32-545:(OI)(CI)RX" >nul
if errorlevel 1 goto failed
rem Run from the installed folder, there is nothing to copy: a file copied onto itself fails.
if /i "%source%"=="%folder%\" goto copied
for %%f in (quolmerBackup.exe README.txt backup.ini.sample quolmerBackup-principal.xml quolmerBackup-secundario.xml uninstall.cmd) do (
  copy /y "%source%%%f" "%folder%\%%f" >nul
  if errorlevel 1 goto failed
)
echo   copied the program, README.txt, backup.ini.sample, the task definitions and uninstall.cmd
:copied
rem What lay there before takes the folder's permissions alone, and an owner, who could change
rem them, is no other user.
icacls "%folder%\*" /reset /T >nul
if errorlevel 1 goto failed
icacls "%folder%" /setowner "*S-1-5-32-544" /T >nul
if errorlevel 1 goto failed
echo   only Administrators and SYSTEM may change the folder; Users may read and run it
if exist "%folder%\backup.ini" (
  echo   kept backup.ini
) else (
  copy "%folder%\backup.ini.sample" "%folder%\backup.ini" >nul
  if errorlevel 1 goto failed
  echo   made backup.ini from backup.ini.sample: set the destination folders in it
)
icacls "%folder%\backup.ini" /grant "%account%:M" >nul
if errorlevel 1 goto failed
echo   %account% may change backup.ini
if /i not "%folder%"=="C:\quolmerBackup" call :definitions_for_folder
if errorlevel 1 goto failed
for %%d in (principal secundario) do (
  schtasks /Create /XML "%folder%\quolmerBackup-%%d.xml" /TN quolmerBackup-%%d /RU "%account%" /RP * /F
  if errorlevel 1 goto failed
  echo   registered the task quolmerBackup-%%d
)
echo Done. Set the destination folders in %folder%\backup.ini.
exit /b 0

rem The shipped task definitions name C:\quolmerBackup. PowerShell puts the folder in their place,
rem escaped for XML, and writes them back in UTF-16 as the Task Scheduler reads them; the folder
rem goes through the environment, so that no quoting stands in its way.
:definitions_for_folder
set "QB_FOLDER=%folder%"
powershell -NoProfile -NonInteractive -Command "foreach ($d in 'principal', 'secundario') { $f = Join-Path $env:QB_FOLDER ('quolmerBackup-' + $d + '.xml'); $t = [IO.File]::ReadAllText($f).Replace('C:\quolmerBackup', [Security.SecurityElement]::Escape($env:QB_FOLDER)); [IO.File]::WriteAllText($f, $t, [Text.Encoding]::Unicode) }"
if errorlevel 1 exit /b 1
echo   wrote the task definitions for %folder%
exit /b 0

:usage
echo Usage: install.cmd ACCOUNT [FOLDER]
echo   ACCOUNT  the account the backups run as, for example %COMPUTERNAME%\backup; it must be
echo            able to write the destination folders and reach the database server. Its
echo            password is asked for once, when the tasks are registered.
echo   FOLDER   where the program goes; C:\quolmerBackup unless given.
exit /b 2

:not_admin
echo install.cmd: run it from a command prompt opened as administrator (Command Prompt, right
echo click, "Run as administrator"). Nothing was changed.
exit /b 1

:failed
echo install.cmd: stopped, the step above failed. Run it again once that is mended.
exit /b 1
