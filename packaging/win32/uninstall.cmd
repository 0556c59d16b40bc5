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
for %%d in (principal secundario) do (
  schtasks /Query /TN quolmerBackup-%%d >nul 2>&1 && (
    schtasks /Delete /TN quolmerBackup-%%d /F >nul || goto failed
    echo   deleted the task quolmerBackup-%%d
  )
)
for %%f in (quolmerBackup.exe README.txt backup.ini.sample quolmerBackup-principal.xml quolmerBackup-secundario.xml uninstall.cmd) do (
  if /i not "%folder%\%%f"=="%~f0" if exist "%folder%\%%f" del "%folder%\%%f"
  if /i not "%folder%\%%f"=="%~f0" if exist "%folder%\%%f" goto failed
)
echo   deleted the program; kept backup.ini, Error.log and the backups
rem This script last, when it is the installed copy: (goto) ends it before the file goes.
if /i "%folder%\uninstall.cmd"=="%~f0" (goto) 2>nul & del "%~f0"
exit /b 0

:not_admin
echo uninstall.cmd: run it from a command prompt opened as administrator (Command Prompt, right
echo click, "Run as administrator"). Nothing was changed.
exit /b 1

:failed
echo uninstall.cmd: stopped, the step above failed. Run it again once that is mended.
exit /b 1
