@echo off
rem Removes quolmerBackup's scheduled tasks and program. From a command prompt opened as
rem administrator:   uninstall.cmd [FOLDER]
rem FOLDER is C:\quolmerBackup unless given. backup.ini (the folders and the last status),
rem Error.log and every backup stay.
setlocal EnableExtensions DisableDelayedExpansion
set "folder=%~1"
if not defined folder set "folder=C:\quolmerBackup"

net session >nul 2>&1
if errorlevel 1 goto not_admin

echo Removing quolmerBackup from %folder%.
rem Each step is checked by the error level it leaves: some versions of cmd, Wine's among them,
rem run what follows || after success as well.
call :delete_task principal
if errorlevel 1 goto failed
call :delete_task secundario
if errorlevel 1 goto failed
for %%f in (quolmerBackup.exe README.txt backup.ini.sample quolmerBackup-principal.xml quolmerBackup-secundario.xml uninstall.cmd) do (
  if /i not "%folder%\%%f"=="%~f0" if exist "%folder%\%%f" del "%folder%\%%f"
  if /i not "%folder%\%%f"=="%~f0" if exist "%folder%\%%f" goto failed
)
echo   deleted the program; kept backup.ini, Error.log and the backups
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

:failed
echo uninstall.cmd: stopped, the step above failed. Run it again once that is mended.
exit /b 1
