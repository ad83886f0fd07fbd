// The operator's console: sets up every panel of the page.
import { setUpBiometrics } from './biometrics.js';
import { setUpCapture } from './capture.js';
import { setUpDownload } from './download.js';
import { setUpGallery } from './gallery.js';
import { setUpLog } from './log.js';
import { setUpSensor } from './sensor.js';
import { setUpSession } from './session.js';

setUpLog();
setUpSession();
setUpSensor();
setUpCapture();
setUpDownload();
setUpBiometrics();
setUpGallery();
