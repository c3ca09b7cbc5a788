@rem Starts the downloader beside this file with the virtual board listed as the port VIRTUAL.
@start "" "%~dp0OrvaneDownloader.exe" --virtual-board
