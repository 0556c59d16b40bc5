@echo off
rem Removes quolmerBackup's scheduled tasks, event source and program. From a command prompt
rem opened as administrator:   uninstall.cmd [FOLDER]
rem Without FOLDER, the copy in an installed folder (one holding backup.ini) removes that folder,
rem and the one in the unpacked package, beside install.cmd, removes C:\quolmerBackup.
rem backup.ini (the folders and the last status), mysqldump.cnf, Error.log and every backup stay,
rem and so do the events already in the Application log.
setlocal EnableExtensions DisableDelayedExpansion
set "folder=%~1"
if not defined folder if exist "%~dp0install.cmd" if not exist "%~dp0backup.ini" set "folder=C:\quolmerBackup"
if not defined folder set "folder=%~dp0"
rem A full path without a trailing backslash, as install.cmd makes it.
for %%i in ("%folder%") do set "folder=%%~fi"
if "%folder:~-1%"=="\" set "folder=%folder:~0,-1%"
set "failed="

rem Only an elevated administrator may list the file system's filters.
fltmc >nul 2>&1
if errorlevel 1 goto not_admin
rem The program's file names are common ones: nothing goes where the program is not.
if "%folder:~1%"==":" goto no_install
if not exist "%folder%\quolmerBackup.exe" if not exist "%folder%\uninstall.cmd" goto no_install

echo Removing quolmerBackup from "%folder%".
rem Each step is checked by the error level it leaves, outside loops: some versions of cmd, Wine's
rem among them, run what follows || after success as well, and go on with a loop that a goto left.
call :delete_task principal
if errorlevel 1 goto failed
call :delete_task secundario
if errorlevel 1 goto failed
set "source_key=HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\quolmerBackup"
reg query "%source_key%" >nul 2>&1
if errorlevel 1 goto source_deleted
reg delete "%source_key%" /f >nul
if errorlevel 1 goto failed
echo   deleted the event source quolmerBackup
:source_deleted
for %%f in (quolmerBackup.exe README.txt backup.ini.sample mysqldump.cnf.sample quolmerBackup-principal.xml quolmerBackup-secundario.xml uninstall.cmd) do (
  if /i not "%folder%\%%f"=="%~f0" if exist "%folder%\%%f" del "%folder%\%%f"
  if /i not "%folder%\%%f"=="%~f0" if exist "%folder%\%%f" set "failed=1"
)
if defined failed goto failed
echo   deleted the program; kept backup.ini, mysqldump.cnf, Error.log and the backups
if /i not "%folder%\uninstall.cmd"=="%~f0" exit /b 0
rem This script last, when it is the installed copy: the exit on the same line keeps cmd from
rem reading on in a file that is gone.
del "%~f0" & exit /b 0

rem A task that is not registered is no failure.
:delete_task
schtasks /Query /TN quolmerBackup-%1 >nul 2>&1
if errorlevel 1 exit /b 0
schtasks /Delete /TN quolmerBackup-%1 /F >nul
if errorlevel 1 exit /b 1
echo   deleted the task quolmerBackup-%1
exit /b 0

:not_admin
echo uninstall.cmd: run it from a command prompt opened as administrator (Command Prompt, right
echo click, "Run as administrator"). Nothing was changed.
exit /b 1

:no_install
echo uninstall.cmd: "%folder%\" holds no install of quolmerBackup. Nothing was changed.
exit /b 1

:failed
echo uninstall.cmd: stopped, the step above failed. Run it again once that is mended.
exit /b 1
